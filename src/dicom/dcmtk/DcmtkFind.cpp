#include "dicom/dcmtk/DcmtkFind.h"

#include <optional>

#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/diutil.h"
#include "dcmtk/ofstd/ofstd.h"
#include "dicom/dcmtk/DcmtkAssociation.h"
#include "dicom/dcmtk/DcmtkDataset.h"

namespace pelko::dicom::dcmtk {

DatasetList FindStudies(const AssociationParameters& params, const Dataset& identifier, DicomLog* log) {
    using Clock = std::chrono::steady_clock;
    const Peer peer{params.calledAET, params.host, params.port};
    const std::string operation = "C-FIND on " + peer.Text();
    const int responseSeconds = params.timeouts.findResponseSeconds;
    const auto grace = std::chrono::seconds(params.timeouts.findCancelGraceSeconds);

    Dataset query = identifier;
    if (!query.Attributes().Contains(tags::QueryRetrieveLevel)) {
        query.Attributes().Add(tags::QueryRetrieveLevel, "STUDY");
    }
    const auto keys = ToDcmDataset(query, operation);

    Association assoc(params, responseSeconds, log);
    assoc.Propose(kStudyRootFind,
                  {UID_LittleEndianExplicitTransferSyntax, UID_LittleEndianImplicitTransferSyntax});
    assoc.Open();
    const T_ASC_PresentationContextID context = assoc.ContextFor(kStudyRootFind, operation);
    const auto started = Clock::now();
    assoc.Log(operation + ": identifier " + IdentifierText(query));

    T_DIMSE_Message request{};
    request.CommandField = DIMSE_C_FIND_RQ;
    T_DIMSE_C_FindRQ& find = request.msg.CFindRQ;
    find.MessageID = assoc.NextMessageId();
    OFStandard::strlcpy(find.AffectedSOPClassUID, kStudyRootFind, sizeof find.AffectedSOPClassUID);
    find.Priority = DIMSE_PRIORITY_MEDIUM;
    find.DataSetType = DIMSE_DATASET_PRESENT;

    DatasetList results;
    std::optional<Clock::time_point> cancelledAt;
    std::optional<Uint16> finalStatus;
    std::string comment;
    OFCondition cond = assoc.Send(context, request, keys.get());
    while (cond.good() && !finalStatus) {
        int wait = responseSeconds;
        if (cancelledAt) {
            const auto left = grace - (Clock::now() - *cancelledAt);
            if (left <= Clock::duration::zero()) break;  // still sending after the C-CANCEL
            wait = WholeSeconds(left);
        }
        Message response;
        cond = assoc.Receive(wait, response);
        if (cond.bad()) break;
        const T_DIMSE_C_FindRSP& rsp = response.command.msg.CFindRSP;
        if (response.command.CommandField != DIMSE_C_FIND_RSP ||
            rsp.MessageIDBeingRespondedTo != find.MessageID) {
            assoc.Fail(DicomError(kErrProtocol, operation + " failed: unexpected response", Cause::Protocol));
        }
        if (!DICOM_PENDING_STATUS(rsp.DimseStatus)) {
            finalStatus = rsp.DimseStatus;
            comment = ErrorComment(response.statusDetail.get());
        } else if (!cancelledAt) {
            if (response.dataset) results.push_back(FromDcmDataset(*response.dataset));
            if (results.Count() >= kMaxFindResults) {
                cancelledAt = Clock::now();
                cond = assoc.SendCancel(context, find.MessageID);
            }
        }
    }
    const std::string matches = std::to_string(results.Count()) + " matches";
    if (cancelledAt && !finalStatus) {
        // Enough results; the archive ignored the C-CANCEL, went silent or
        // dropped the association.
        assoc.LogOperation(operation, "cancelled, no final response, " + matches, started);
        assoc.Abort();
        return results;
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
