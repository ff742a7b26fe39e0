#include "dicom/PumpingToolkit.h"

#include <future>

namespace pelko::dicom {
namespace {

// Each wrapper runs every call of the wrapped association, its release in
// the destructor included, through runPumping: the network is never waited
// for on the calling thread.
template <typename Inner>
class Pumped {
public:
    Pumped(const PumpingToolkit& kit, std::unique_ptr<Inner> inner) : kit_(kit), inner_(std::move(inner)) {}
    ~Pumped() {
        try {
            kit_.runPumping([&] { inner_.reset(); });
        } catch (...) {
            // A release never fails; nothing to report from a destructor.
        }
    }
    Pumped(const Pumped&) = delete;
    Pumped& operator=(const Pumped&) = delete;

protected:
    const PumpingToolkit& kit_;
    std::unique_ptr<Inner> inner_;
};

class PumpingQuery : public QueryAssociation, private Pumped<QueryAssociation> {
public:
    using Pumped::Pumped;

    DatasetList Find(const Dataset& identifier) override {
        DatasetList result;
        kit_.runPumping([&] { result = inner_->Find(identifier); });
        return result;
    }
    void Move(const std::string& studyUid, const std::string& destination) override {
        kit_.runPumping([&] { inner_->Move(studyUid, destination); });
    }
};

class PumpingStore : public StoreAssociation, private Pumped<StoreAssociation> {
public:
    using Pumped::Pumped;

    void Open(const std::string& sopClassUID) override {
        kit_.runPumping([&] { inner_->Open(sopClassUID); });
    }
    void Store(const std::string& sopInstanceUID, const Dataset& dataset) override {
        kit_.runPumping([&] { inner_->Store(sopInstanceUID, dataset); });
    }
    void Close() override {
        kit_.runPumping([&] { inner_->Close(); });
    }
};

}  // namespace

PumpingToolkit::PumpingToolkit(Toolkit& inner, std::function<void()> pump, std::chrono::milliseconds interval)
    : inner_(inner), pump_(std::move(pump)), interval_(interval) {}

// The parameters go to the wrapped toolkit whole, as given.
std::unique_ptr<QueryAssociation> PumpingToolkit::newQueryAssociation(const AssociationParameters& peer) {
    return std::make_unique<PumpingQuery>(*this, inner_.newQueryAssociation(peer));
}

std::unique_ptr<StoreAssociation> PumpingToolkit::newStoreAssociation(const AssociationParameters& peer) {
    return std::make_unique<PumpingStore>(*this, inner_.newStoreAssociation(peer));
}

std::unique_ptr<UidGenerator> PumpingToolkit::newUidGenerator() { return inner_.newUidGenerator(); }

EchoResult PumpingToolkit::Echo(const AssociationParameters& peer) {
    EchoResult result;
    runPumping([&] { result = inner_.Echo(peer); });
    return result;
}

void PumpingToolkit::runPumping(const std::function<void()>& work) const {
    auto done = std::async(std::launch::async, work);
    while (done.wait_for(interval_) != std::future_status::ready) {
        if (pump_) pump_();
    }
    done.get();
}

}  // namespace pelko::dicom
