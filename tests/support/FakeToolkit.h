// A DICOM toolkit that records what the program asks of it and answers
// from scripted results, for the logic tests.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dicom/Toolkit.h"

namespace pelko::test {

struct FindCall {
    std::int32_t port = 0;
    std::string host, calledAET, callingAET, root;
    dicom::Dataset identifier;
};

struct MoveCall {
    std::int32_t port = 0;
    std::string host, calledAET, callingAET, level, destination, studyUID;
    int association = 0;  // which QueryAssociation object made the move
};

struct StoreCall {
    std::string sopClass, sopInstance;
    std::int16_t priority = 0;
    dicom::Dataset dataset;
};

class FakeToolkit : public dicom::Toolkit {
public:
    std::unique_ptr<dicom::QueryAssociation> newQueryAssociation() override;
    std::unique_ptr<dicom::StoreAssociation> newStoreAssociation() override;
    std::unique_ptr<dicom::UidGenerator> newUidGenerator() override;

    // Scripted answers.
    dicom::DatasetList findResult;
    std::optional<dicom::DicomError> findError;
    // Called before each move; may throw to make that move fail.
    std::function<void(const MoveCall&)> onMove;
    std::function<void(const StoreCall&)> onStore;
    std::optional<dicom::DicomError> openError;

    // What was asked.
    std::vector<FindCall> finds;
    std::vector<MoveCall> moves;
    std::vector<StoreCall> stores;
    std::vector<std::string> storeEvents;  // "open host port calling called", "store", "close"
    int queryAssociations = 0;
    int uidCounter = 0;
};

}  // namespace pelko::test
