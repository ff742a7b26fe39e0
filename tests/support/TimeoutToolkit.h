// A toolkit that makes every association of another one with the given
// time-outs, whatever the caller asked for: the program's logic on the real
// adapter, with waits short enough for tests.
#pragma once

#include <memory>

#include "dicom/Toolkit.h"

namespace pelko::test {

class TimeoutToolkit : public dicom::Toolkit {
public:
    TimeoutToolkit(std::unique_ptr<dicom::Toolkit> inner, const dicom::Timeouts& timeouts)
        : inner_(std::move(inner)), timeouts_(timeouts) {}

    std::unique_ptr<dicom::QueryAssociation> newQueryAssociation(
        const dicom::AssociationParameters& peer) override {
        return inner_->newQueryAssociation(withTimeouts(peer));
    }
    std::unique_ptr<dicom::StoreAssociation> newStoreAssociation(
        const dicom::AssociationParameters& peer) override {
        return inner_->newStoreAssociation(withTimeouts(peer));
    }
    std::unique_ptr<dicom::UidGenerator> newUidGenerator() override { return inner_->newUidGenerator(); }
    dicom::EchoResult Echo(const dicom::AssociationParameters& peer) override {
        return inner_->Echo(withTimeouts(peer));
    }

private:
    dicom::AssociationParameters withTimeouts(dicom::AssociationParameters peer) const {
        peer.timeouts = timeouts_;
        return peer;
    }

    std::unique_ptr<dicom::Toolkit> inner_;
    dicom::Timeouts timeouts_;
};

}  // namespace pelko::test
