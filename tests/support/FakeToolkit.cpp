#include "support/FakeToolkit.h"

namespace pelko::test {
namespace {

class FakeQuery : public dicom::QueryAssociation {
public:
    FakeQuery(FakeToolkit& kit, int id) : kit_(kit), id_(id) {}

    dicom::DatasetList Find(const dicom::Dataset& identifier) override {
        kit_.finds.push_back({port(), host(), calledAET(), callingAET(), root(), identifier});
        if (kit_.findError) throw *kit_.findError;
        return kit_.findResult;
    }

    void Move() override {
        MoveCall call{port(), host(), calledAET(), callingAET(), level(), moveDestination(), studyUID(), id_};
        if (kit_.onMove) kit_.onMove(call);
        kit_.moves.push_back(call);
    }

private:
    FakeToolkit& kit_;
    int id_;
};

class FakeStore : public dicom::StoreAssociation {
public:
    explicit FakeStore(FakeToolkit& kit) : kit_(kit) {}

    void Open(const std::string& host, std::int32_t port, const std::string& calling,
              const std::string& called) override {
        kit_.storeEvents.push_back("open " + host + " " + std::to_string(port) + " " + calling + " " + called);
        if (kit_.openError) throw *kit_.openError;
    }
    void Store(const std::string& sopClass, const std::string& sopInstance, std::int16_t priority,
               const dicom::Dataset& dataset) override {
        StoreCall call{sopClass, sopInstance, priority, dataset};
        kit_.storeEvents.push_back("store");
        if (kit_.onStore) kit_.onStore(call);
        kit_.stores.push_back(call);
    }
    void Close() override { kit_.storeEvents.push_back("close"); }

private:
    FakeToolkit& kit_;
};

class FakeUids : public dicom::UidGenerator {
public:
    explicit FakeUids(FakeToolkit& kit) : kit_(kit) {}
    std::string NewUID() override { return "2.25." + std::to_string(++kit_.uidCounter); }

private:
    FakeToolkit& kit_;
};

}  // namespace

std::unique_ptr<dicom::QueryAssociation> FakeToolkit::newQueryAssociation() {
    return std::make_unique<FakeQuery>(*this, ++queryAssociations);
}

std::unique_ptr<dicom::StoreAssociation> FakeToolkit::newStoreAssociation() {
    return std::make_unique<FakeStore>(*this);
}

std::unique_ptr<dicom::UidGenerator> FakeToolkit::newUidGenerator() { return std::make_unique<FakeUids>(*this); }

}  // namespace pelko::test
