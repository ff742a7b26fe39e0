#include "dicom/dcmtk/DcmtkFind.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/diutil.h"
#include "dcmtk/ofstd/ofstd.h"
#include "dicom/dcmtk/DcmtkAssociation.h"
#include "dicom/dcmtk/DcmtkDataset.h"

namespace pelko::dicom::dcmtk {
namespace {

using Clock = std::chrono::steady_clock;

// How long a wait for the archive lasts before the observer is asked again.
constexpr std::chrono::milliseconds kSlice{100};

// The attributes of a result that the program reads (the grid's columns);
// whatever else an archive sends is dropped at once.
constexpr Tag kRead[] = {tags::StudyDate,   tags::StudyTime,         tags::AccessionNumber,
                         tags::Modality,    tags::ModalitiesInStudy, tags::StudyDescription,
                         tags::PatientName, tags::PatientID,         tags::PatientBirthDate,
                         tags::PatientSex,  tags::StudyInstanceUID,  tags::RegisteredDate};

// `row` with only the attributes that are read or that `asked` asked for.
Dataset OnlyRead(const Dataset& row, const Dataset& asked) {
    Dataset kept;
    for (const auto& a : row.Attributes().items()) {
        if (asked.Attributes().Contains(a.tag) ||
            std::find(std::begin(kRead), std::end(kRead), a.tag) != std::end(kRead)) {
            kept.Attributes().Add(a.tag, a.value);
        }
    }
    return kept;
}

}  // namespace

DatasetList FindStudies(const AssociationParameters& params, const Dataset& identifier, DicomLog* log,
                        const FindObserver* observer) {
    const Peer peer{params.calledAET, params.host, params.port};
    const std::string operation = "C-FIND on " + peer.Text();
    const int responseSeconds = params.timeouts.findResponseSeconds;
    const int searchSeconds = params.timeouts.searchSeconds;
    const auto grace = std::chrono::seconds(params.timeouts.findCancelGraceSeconds);

    Dataset query = identifier;
    if (!query.Attributes().Contains(tags::QueryRetrieveLevel)) {
        query.Attributes().Add(tags::QueryRetrieveLevel, "STUDY");
    }
    const auto keys = ToDcmDataset(query, operation);

    const auto started = Clock::now();
    Association assoc(params, responseSeconds, log);
    // From the request of the association on: a search ends in this time
    // whatever the archive does.
    Watchdog watchdog(assoc, started + std::chrono::seconds(searchSeconds));
    assoc.Propose(kStudyRootFind,
                  {UID_LittleEndianExplicitTransferSyntax, UID_LittleEndianImplicitTransferSyntax});
    assoc.Open();
    const T_ASC_PresentationContextID context = assoc.ContextFor(kStudyRootFind, operation);
    assoc.Log(operation + ": identifier " + IdentifierText(query) + "; search time-out " +
              std::to_string(searchSeconds) + " s");

    T_DIMSE_Message request{};
    request.CommandField = DIMSE_C_FIND_RQ;
    T_DIMSE_C_FindRQ& find = request.msg.CFindRQ;
    find.MessageID = assoc.NextMessageId();
    OFStandard::strlcpy(find.AffectedSOPClassUID, kStudyRootFind, sizeof find.AffectedSOPClassUID);
    find.Priority = DIMSE_PRIORITY_MEDIUM;
    find.DataSetType = DIMSE_DATASET_PRESENT;

    DatasetList results;
    int pending = 0;
    std::optional<Clock::time_point> cancelledAt;
    std::optional<Uint16> finalStatus;
    std::string comment;
    auto lastHeard = Clock::now();
    const auto cancel = [&] {
        cancelledAt = Clock::now();
        results.setCut();
        watchdog.Tighten(*cancelledAt + grace);
        return assoc.SendCancel(context, find.MessageID);
    };
    OFCondition cond = assoc.Send(context, request, keys.get());
    while (cond.good() && !finalStatus && !watchdog.fired()) {
        if (!cancelledAt && observer != nullptr && observer->CancelRequested()) {
            assoc.Log(operation + ": C-CANCEL");
            cond = cancel();
            continue;
        }
        const auto now = Clock::now();
        if (cancelledAt && now - *cancelledAt >= grace) break;  // still sending after the C-CANCEL
        if (!cancelledAt && now - lastHeard >= std::chrono::seconds(responseSeconds)) {
            cond = DIMSE_NODATAAVAILABLE;
            break;
        }
        if (!assoc.DataWaiting(kSlice)) continue;
        Message response;
        cond = assoc.Receive(cancelledAt ? WholeSeconds(grace - (now - *cancelledAt)) : responseSeconds,
                             response);
        if (cond.bad()) break;
        lastHeard = Clock::now();
        const T_DIMSE_C_FindRSP& rsp = response.command.msg.CFindRSP;
        if (response.command.CommandField != DIMSE_C_FIND_RSP ||
            rsp.MessageIDBeingRespondedTo != find.MessageID) {
            assoc.Fail(DicomError(kErrProtocol, operation + " failed: unexpected response", Cause::Protocol));
        }
        if (!DICOM_PENDING_STATUS(rsp.DimseStatus)) {
            finalStatus = rsp.DimseStatus;
            comment = ErrorComment(response.statusDetail.get());
        } else if (!cancelledAt) {
            // Every pending response counts: one without an identifier
            // would otherwise keep a search going for ever.
            ++pending;
            if (response.dataset) results.push_back(OnlyRead(FromDcmDataset(*response.dataset), query));
            if (pending >= kMaxFindResults) cond = cancel();
        }
    }
    const std::string matches = std::to_string(results.Count()) + " matches";
    if (cancelledAt && !finalStatus) {
        // Enough results or a cancel; the archive ignored the C-CANCEL, went
        // silent or dropped the association.
        assoc.LogOperation(operation, "cancelled, no final response, " + matches, started);
        assoc.Abort();
        return results;
    }
    if (!finalStatus && watchdog.fired()) {
        assoc.Fail(DicomError(kErrTimeout, operation +
                                               " failed: no final response within the search time-out of " +
                                               std::to_string(searchSeconds) + " s"));
    }
    if (!finalStatus) assoc.Fail(NetworkError(operation, cond, responseSeconds));
    const std::string status = StatusHex(*finalStatus) + " (" + DU_cfindStatusString(*finalStatus) + ")";
    assoc.LogOperation(operation, "status " + status + Said(comment) + ", " + matches, started);
    assoc.Release();
    // After the C-CANCEL the final status (normally Cancel, 0xFE00) is of no
    // concern: the results are complete.
    if (*finalStatus != STATUS_Success && !cancelledAt) {
        throw StatusError(Operation::Find, *finalStatus, comment);
    }
    return results;
}

}  // namespace pelko::dicom::dcmtk
