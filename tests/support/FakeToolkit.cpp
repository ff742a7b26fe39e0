#include "support/FakeToolkit.h"

namespace pelko::test {
namespace {

class FakeQuery : public dicom::QueryAssociation {
public:
    FakeQuery(FakeToolkit& kit, dicom::AssociationParameters peer, int id)
        : kit_(kit), peer_(std::move(peer)), id_(id) {}
    ~FakeQuery() override {
        if (kit_.onRelease) kit_.onRelease();
    }

    dicom::DatasetList Find(const dicom::Dataset& identifier, const dicom::FindObserver*) override {
        kit_.finds.push_back({peer_, identifier});
        if (kit_.findError) throw *kit_.findError;
        return kit_.findResult;
    }

    // The C-CANCEL is checked for before and after each pending response,
    // as the adapter polls while it waits.
    dicom::MoveResult Move(const std::string& studyUid, const std::string& destination,
                           dicom::MoveObserver* observer) override {
        return Run({peer_, destination, studyUid, id_, {}}, observer);
    }
    dicom::MoveResult MoveSeries(const std::string& studyUid, const std::vector<std::string>& seriesUids,
                                 const std::string& destination, dicom::MoveObserver* observer) override {
        return Run({peer_, destination, studyUid, id_, seriesUids}, observer);
    }

private:
    dicom::MoveResult Run(MoveCall call, dicom::MoveObserver* observer) {
        if (kit_.onMove) kit_.onMove(call);
        kit_.moves.push_back(call);
        const ScriptedMove script = kit_.scriptMove ? kit_.scriptMove(call) : ScriptedMove{};
        dicom::MoveCounts last;
        const auto cancelled = [&] {
            ++kit_.cancelPolls;
            if (observer == nullptr || !observer->CancelRequested()) return false;
            kit_.cancels.push_back(call.destination + " " + call.studyUID);
            return true;
        };
        const auto cancelResult = [&]() -> dicom::MoveResult {
            if (script.cancelled)
                return {*script.cancelled, dicom::MoveResult::Cancel::Confirmed, std::nullopt};
            return {last, dicom::MoveResult::Cancel::Unconfirmed, std::nullopt};
        };
        for (std::size_t i = 0; i < script.pending.size(); ++i) {
            if (cancelled()) return cancelResult();
            last = script.pending[i];
            if (observer) observer->Pending(last);
            if (kit_.afterPending) kit_.afterPending(call, i);
        }
        if (cancelled()) return cancelResult();
        return {script.final, dicom::MoveResult::Cancel::None, script.reported};
    }

    FakeToolkit& kit_;
    dicom::AssociationParameters peer_;
    int id_;
};

class FakeStore : public dicom::StoreAssociation {
public:
    FakeStore(FakeToolkit& kit, dicom::AssociationParameters peer) : kit_(kit), peer_(std::move(peer)) {}
    ~FakeStore() override {
        if (kit_.onRelease) kit_.onRelease();
    }

    void Open(const std::string& sopClass) override {
        sopClass_ = sopClass;
        kit_.storeEvents.push_back("open " + peer_.host + " " + std::to_string(peer_.port) + " " +
                                   peer_.callingAET + " " + peer_.calledAET + " " + sopClass);
        if (kit_.openError) throw *kit_.openError;
    }
    void Store(const std::string& sopInstance, const dicom::Dataset& dataset) override {
        StoreCall call{sopClass_, sopInstance, dataset};
        kit_.storeEvents.push_back("store");
        if (kit_.onStore) kit_.onStore(call);
        kit_.stores.push_back(call);
    }
    void Close() override { kit_.storeEvents.push_back("close"); }

private:
    FakeToolkit& kit_;
    dicom::AssociationParameters peer_;
    std::string sopClass_;
};

class FakeUids : public dicom::UidGenerator {
public:
    explicit FakeUids(FakeToolkit& kit) : kit_(kit) {}
    std::string NewUID() override { return "2.25." + std::to_string(++kit_.uidCounter); }

private:
    FakeToolkit& kit_;
};

}  // namespace

std::unique_ptr<dicom::QueryAssociation> FakeToolkit::newQueryAssociation(
    const dicom::AssociationParameters& peer) {
    return std::make_unique<FakeQuery>(*this, peer, ++queryAssociations);
}

std::unique_ptr<dicom::StoreAssociation> FakeToolkit::newStoreAssociation(
    const dicom::AssociationParameters& peer) {
    return std::make_unique<FakeStore>(*this, peer);
}

std::unique_ptr<dicom::UidGenerator> FakeToolkit::newUidGenerator() {
    return std::make_unique<FakeUids>(*this);
}

dicom::EchoResult FakeToolkit::Echo(const dicom::AssociationParameters& peer) {
    echoes.push_back(peer);
    if (echoError) throw *echoError;
    return echoResult;
}

}  // namespace pelko::test
