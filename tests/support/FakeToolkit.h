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
    dicom::AssociationParameters peer;
    dicom::Dataset identifier;
};

struct MoveCall {
    dicom::AssociationParameters peer;
    std::string destination, studyUID;
    int association = 0;  // which QueryAssociation object made the move
};

struct StoreCall {
    std::string sopClass, sopInstance;
    dicom::Dataset dataset;
};

class FakeToolkit : public dicom::Toolkit {
public:
    std::unique_ptr<dicom::QueryAssociation> newQueryAssociation(const dicom::AssociationParameters& peer) override;
    std::unique_ptr<dicom::StoreAssociation> newStoreAssociation(const dicom::AssociationParameters& peer) override;
    std::unique_ptr<dicom::UidGenerator> newUidGenerator() override;
    dicom::EchoResult Echo(const dicom::AssociationParameters& peer) override;

    // Scripted answers.
    dicom::DatasetList findResult;
    std::optional<dicom::DicomError> findError;
    // Called before each move; may throw to make that move fail.
    std::function<void(const MoveCall&)> onMove;
    std::function<void(const StoreCall&)> onStore;
    std::optional<dicom::DicomError> openError;
    dicom::EchoResult echoResult;
    std::optional<dicom::DicomError> echoError;
    // Called when an association is destroyed (released).
    std::function<void()> onRelease;

    // What was asked.
    std::vector<FindCall> finds;
    std::vector<MoveCall> moves;
    std::vector<StoreCall> stores;
    std::vector<dicom::AssociationParameters> echoes;
    std::vector<std::string> storeEvents;  // "open host port calling called class", "store", "close"
    int queryAssociations = 0;
    int uidCounter = 0;
};

}  // namespace pelko::test
