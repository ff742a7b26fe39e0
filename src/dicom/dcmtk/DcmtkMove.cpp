#include "dicom/dcmtk/DcmtkMove.h"

#include <algorithm>
#include <optional>

#include "dcmtk/dcmnet/diutil.h"
#include "dcmtk/ofstd/ofstd.h"
#include "dicom/dcmtk/DcmtkAssociation.h"

namespace pelko::dicom::dcmtk {
namespace {

using Clock = std::chrono::steady_clock;

// How long a wait for the archive lasts before the observer is asked again.
constexpr std::chrono::milliseconds kSlice{100};

// The counts of `rsp` merged into `counts`: what a response leaves out
// keeps its earlier value, and no count goes below one received before
// (Remaining, which counts down, excepted). A final response without
// Remaining leaves it unknown: the last pending one's value is out of date.
void Merge(MoveCounts& counts, const T_DIMSE_C_MoveRSP& rsp) {
    if ((rsp.opts & O_MOVE_NUMBEROFREMAININGSUBOPERATIONS) != 0) {
        counts.remaining = rsp.NumberOfRemainingSubOperations;
    } else if (!DICOM_PENDING_STATUS(rsp.DimseStatus)) {
        counts.remaining.reset();
    }
    counts.completed = std::max<int>(counts.completed, rsp.NumberOfCompletedSubOperations);
    counts.failed = std::max<int>(counts.failed, rsp.NumberOfFailedSubOperations);
    counts.warning = std::max<int>(counts.warning, rsp.NumberOfWarningSubOperations);
}

// The final response's own counts, when it carries Completed, Failed and
// Warning all three.
std::optional<MoveCounts> ReportedCounts(const T_DIMSE_C_MoveRSP& rsp) {
    constexpr unsigned all = O_MOVE_NUMBEROFCOMPLETEDSUBOPERATIONS | O_MOVE_NUMBEROFFAILEDSUBOPERATIONS |
                             O_MOVE_NUMBEROFWARNINGSUBOPERATIONS;
    if ((rsp.opts & all) != all) return std::nullopt;
    MoveCounts counts{std::nullopt, rsp.NumberOfCompletedSubOperations, rsp.NumberOfFailedSubOperations,
                      rsp.NumberOfWarningSubOperations};
    if ((rsp.opts & O_MOVE_NUMBEROFREMAININGSUBOPERATIONS) != 0) {
        counts.remaining = rsp.NumberOfRemainingSubOperations;
    }
    return counts;
}

}  // namespace

MoveResult MoveStudy(Association& assoc, const std::string& operation, DcmDataset& keys,
                     const std::string& destination, MoveObserver* observer, int responseSeconds,
                     int cancelGraceSeconds) {
    const T_ASC_PresentationContextID context = assoc.ContextFor(kStudyRootMove, operation);
    T_DIMSE_Message request{};
    request.CommandField = DIMSE_C_MOVE_RQ;
    T_DIMSE_C_MoveRQ& move = request.msg.CMoveRQ;
    move.MessageID = assoc.NextMessageId();
    OFStandard::strlcpy(move.AffectedSOPClassUID, kStudyRootMove, sizeof move.AffectedSOPClassUID);
    OFStandard::strlcpy(move.MoveDestination, destination.c_str(), sizeof move.MoveDestination);
    move.Priority = DIMSE_PRIORITY_MEDIUM;
    move.DataSetType = DIMSE_DATASET_PRESENT;

    const auto started = Clock::now();
    const OFCondition sent = assoc.Send(context, request, &keys);
    if (sent.bad()) assoc.Fail(NetworkError(operation, sent, responseSeconds));

    MoveResult result;
    std::optional<Clock::time_point> cancelledAt;
    // Holds the grace after a C-CANCEL also against a peer that keeps a
    // read alive with a byte now and then; no deadline before.
    Watchdog watchdog(assoc, started + std::chrono::hours(24 * 366));
    auto lastHeard = started;
    const auto unconfirmed = [&] {
        assoc.LogOperation(operation, "cancelled, no final response, " + CountsText(result.counts), started);
        assoc.Abort();
        result.cancel = MoveResult::Cancel::Unconfirmed;
        return result;
    };
    for (;;) {
        const auto now = Clock::now();
        if (!cancelledAt && observer != nullptr && observer->CancelRequested()) {
            cancelledAt = now;
            watchdog.Tighten(now + std::chrono::seconds(kMoveCancelGraceSeconds));
            assoc.Log(operation + ": C-CANCEL");
            if (assoc.SendCancel(context, move.MessageID).bad()) return unconfirmed();
        }
        const auto grace = std::chrono::seconds(cancelGraceSeconds);
        if (cancelledAt && now - *cancelledAt >= grace) return unconfirmed();
        if (!cancelledAt && now - lastHeard >= std::chrono::seconds(responseSeconds)) {
            assoc.Fail(NetworkError(operation, DIMSE_NODATAAVAILABLE, responseSeconds));
        }
        if (!assoc.DataWaiting(kSlice)) continue;

        Message response;
        const int wait = cancelledAt ? WholeSeconds(grace - (now - *cancelledAt)) : responseSeconds;
        const OFCondition cond = assoc.Receive(wait, response);
        const T_DIMSE_C_MoveRSP& rsp = response.command.msg.CMoveRSP;
        const bool ours = response.command.CommandField == DIMSE_C_MOVE_RSP &&
                          rsp.MessageIDBeingRespondedTo == move.MessageID;
        if (cancelledAt && (cond.bad() || !ours)) return unconfirmed();
        if (cond.bad()) assoc.Fail(NetworkError(operation, cond, responseSeconds));
        if (!ours)
            assoc.Fail(DicomError(kErrProtocol, operation + " failed: unexpected response", Cause::Protocol));

        response.dataset.reset();  // a move response's data set is of no use here
        Merge(result.counts, rsp);
        lastHeard = Clock::now();
        if (DICOM_PENDING_STATUS(rsp.DimseStatus)) {
            if (observer != nullptr) observer->Pending(result.counts);
            continue;
        }
        const Uint16 status = rsp.DimseStatus;
        result.finalCounts = ReportedCounts(rsp);
        const std::string comment = ErrorComment(response.statusDetail.get());
        assoc.LogOperation(operation,
                           std::string(cancelledAt ? "cancelled, " : "") + "status " + StatusHex(status) +
                               " (" + DU_cmoveStatusString(status) + ")" + Said(comment) + ", " +
                               CountsText(result.counts),
                           started);
        if (cancelledAt) {
            result.cancel = MoveResult::Cancel::Confirmed;
            return result;
        }
        if (status != STATUS_Success) {
            throw StatusError(Operation::Move, status, comment, destination, result.counts);
        }
        if (result.counts.failed > 0 || result.counts.warning > 0) {
            throw DicomError(kErrSubOperationsFailed, SubOperationWords(destination, result.counts),
                             Cause::SubOperations);
        }
        return result;
    }
}

}  // namespace pelko::dicom::dcmtk
