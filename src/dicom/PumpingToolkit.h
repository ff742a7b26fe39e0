// A toolkit that keeps the window alive while the network works.
//
// Each toolkit call still blocks its caller until it is done, but it runs on
// a worker thread while the calling thread lets pending window events run
// every few milliseconds: the window repaints, and clicks reach handlers
// that the action gate refuses while the call is under way. One call runs at
// a time; the wrapped objects are never touched by two threads at once. The
// release of an association (its destructor) is such a call too.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "dicom/Toolkit.h"

namespace pelko::dicom {

class PumpingToolkit : public Toolkit {
public:
    // `pump` runs on the calling thread while a call is under way.
    PumpingToolkit(Toolkit& inner, std::function<void()> pump,
                   std::chrono::milliseconds interval = std::chrono::milliseconds(30));

    std::unique_ptr<QueryAssociation> newQueryAssociation(const AssociationParameters& peer) override;
    std::unique_ptr<StoreAssociation> newStoreAssociation(const AssociationParameters& peer) override;
    std::unique_ptr<UidGenerator> newUidGenerator() override;
    EchoResult Echo(const AssociationParameters& peer) override;

    // Runs `work` on a worker thread and pumps until it is done; rethrows
    // what `work` threw.
    void runPumping(const std::function<void()>& work) const;

private:
    Toolkit& inner_;
    std::function<void()> pump_;
    std::chrono::milliseconds interval_;
};

}  // namespace pelko::dicom
