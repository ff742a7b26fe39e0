#include "dicom/PumpingToolkit.h"

#include <future>

namespace pelko::dicom {
namespace {

class PumpingQuery : public QueryAssociation {
public:
    PumpingQuery(const PumpingToolkit& kit, std::unique_ptr<QueryAssociation> inner)
        : kit_(kit), inner_(std::move(inner)) {}

    DatasetList Find(const Dataset& identifier) override {
        copyProperties();
        DatasetList result;
        kit_.runPumping([&] { result = inner_->Find(identifier); });
        return result;
    }

    void Move() override {
        copyProperties();
        kit_.runPumping([&] { inner_->Move(); });
    }

private:
    void copyProperties() {
        inner_->setPort(port());
        inner_->setHost(host());
        inner_->setCalledAET(calledAET());
        inner_->setCallingAET(callingAET());
        inner_->setRoot(root());
        inner_->setLevel(level());
        inner_->setMoveDestination(moveDestination());
        inner_->setStudyUID(studyUID());
    }

    const PumpingToolkit& kit_;
    std::unique_ptr<QueryAssociation> inner_;
};

class PumpingStore : public StoreAssociation {
public:
    PumpingStore(const PumpingToolkit& kit, std::unique_ptr<StoreAssociation> inner)
        : kit_(kit), inner_(std::move(inner)) {}

    void Open(const std::string& host, std::int32_t port, const std::string& callingAET,
              const std::string& calledAET) override {
        kit_.runPumping([&] { inner_->Open(host, port, callingAET, calledAET); });
    }
    void Store(const std::string& sopClassUID, const std::string& sopInstanceUID, std::int16_t priority,
               const Dataset& dataset) override {
        kit_.runPumping([&] { inner_->Store(sopClassUID, sopInstanceUID, priority, dataset); });
    }
    void Close() override {
        kit_.runPumping([&] { inner_->Close(); });
    }

private:
    const PumpingToolkit& kit_;
    std::unique_ptr<StoreAssociation> inner_;
};

}  // namespace

PumpingToolkit::PumpingToolkit(Toolkit& inner, std::function<void()> pump, std::chrono::milliseconds interval)
    : inner_(inner), pump_(std::move(pump)), interval_(interval) {}

std::unique_ptr<QueryAssociation> PumpingToolkit::newQueryAssociation() {
    return std::make_unique<PumpingQuery>(*this, inner_.newQueryAssociation());
}

std::unique_ptr<StoreAssociation> PumpingToolkit::newStoreAssociation() {
    return std::make_unique<PumpingStore>(*this, inner_.newStoreAssociation());
}

std::unique_ptr<UidGenerator> PumpingToolkit::newUidGenerator() { return inner_.newUidGenerator(); }

void PumpingToolkit::runPumping(const std::function<void()>& work) const {
    auto done = std::async(std::launch::async, work);
    while (done.wait_for(interval_) != std::future_status::ready) {
        if (pump_) pump_();
    }
    done.get();
}

}  // namespace pelko::dicom
