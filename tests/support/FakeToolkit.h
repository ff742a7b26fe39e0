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
    int association = 0;                  // which QueryAssociation object made the move
    std::vector<std::string> seriesUIDs;  // a series-level move's keys; empty at study level
};

struct StoreCall {
    std::string sopClass, sopInstance;
    dicom::Dataset dataset;
};

// A scripted C-MOVE: the archive's pending responses, its final counts,
// and what it does with a C-CANCEL.
struct ScriptedMove {
    std::vector<dicom::MoveCounts> pending;
    dicom::MoveCounts final;
    // The final response's own counts, when it carries all three.
    std::optional<dicom::MoveCounts> reported = std::nullopt;
    // Confirms a C-CANCEL with these final counts (status 0xFE00); none:
    // ignores it, and the association is aborted after the grace period.
    std::optional<dicom::MoveCounts> cancelled = dicom::MoveCounts{};
};

class FakeToolkit : public dicom::Toolkit {
public:
    std::unique_ptr<dicom::QueryAssociation> newQueryAssociation(
        const dicom::AssociationParameters& peer) override;
    std::unique_ptr<dicom::StoreAssociation> newStoreAssociation(
        const dicom::AssociationParameters& peer) override;
    std::unique_ptr<dicom::UidGenerator> newUidGenerator() override;
    dicom::EchoResult Echo(const dicom::AssociationParameters& peer) override;

    // Scripted answers.
    dicom::DatasetList findResult;
    std::optional<dicom::DicomError> findError;
    // Called before each move; may throw to make that move fail.
    std::function<void(const MoveCall&)> onMove;
    // The answers of each move; none: no pending response, final counts 0.
    std::function<ScriptedMove(const MoveCall&)> scriptMove;
    // Called after the observer got pending response `index` (0-based): a
    // test presses "Cancel" here, or in onMove before the first one.
    std::function<void(const MoveCall&, std::size_t index)> afterPending;
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
    int cancelPolls = 0;               // the observer was asked whether to cancel
    std::vector<std::string> cancels;  // "<destination> <study>" per C-CANCEL
    std::vector<dicom::AssociationParameters> echoes;
    std::vector<std::string> storeEvents;  // "open host port calling called class", "store", "close"
    int queryAssociations = 0;
    int uidCounter = 0;
};

}  // namespace pelko::test
