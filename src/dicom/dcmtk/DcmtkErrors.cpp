#include "dicom/dcmtk/DcmtkErrors.h"

#include "dcmtk/dcmdata/dcdatset.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmnet/cond.h"
#include "log/LogText.h"

namespace pelko::dicom::dcmtk {

std::string Peer::Text() const {
    return LogSafe(aet) + " (" + LogSafe(host) + ":" + std::to_string(port) + ")";
}

DicomError NetworkError(const std::string& operation, const OFCondition& cond, int waitSeconds) {
    const std::string detail = cond.text() ? cond.text() : "";
    if (cond == DIMSE_NODATAAVAILABLE || cond == DUL_READTIMEOUT) {
        const std::string wait = "no answer within " + std::to_string(waitSeconds) + " s";
        return DicomError(kErrTimeout, NetworkWords(NetworkFailure::NoAnswer, "", operation + ": " + wait),
                          Cause::NoAnswer, wait);
    }
    std::int32_t number = kErrProtocol;
    Cause cause = Cause::Protocol;
    std::string reason;
    if (cond.module() == OFM_dcmnet && cond.code() == DULC_TCPINITERROR) {
        // Connection refused, host unreachable or connect time-out.
        number = kErrNoConnection;
        cause = Cause::NoConnection;
        reason = "no connection (" + detail + ")";
    } else if (cond == DUL_PEERABORTEDASSOCIATION) {
        number = kErrAssociationAborted;
        cause = Cause::Aborted;
        reason = "association aborted by the peer";
    } else if (cond == DUL_NETWORKCLOSED || cond == DUL_PEERREQUESTEDRELEASE ||
               (cond.module() == OFM_dcmnet && cond.code() == DULC_TCPIOERROR)) {
        number = kErrAssociationAborted;
        cause = Cause::Aborted;
        reason = "connection closed by the peer (" + detail + ")";
    } else if (cond == NET_EC_NoAcceptablePresentationContexts) {
        number = kErrNoPresentationContext;
        cause = Cause::NoPresentationContext;
        reason = "no presentation context accepted";
    } else {
        reason = detail.empty() ? "network error" : detail;
    }
    return DicomError(number, operation + " failed: " + reason, cause, reason);
}

DicomError StatusError(Operation operation, std::uint16_t status, const std::string& comment,
                       const std::string& destination, const MoveCounts& counts) {
    std::string words = StatusWords(operation, status, destination, counts);
    if (!comment.empty()) words += " The archive said: " + comment + (comment.ends_with('.') ? "" : ".");
    return DicomError(status, words, Cause::DimseStatus, StatusHex(status));
}

std::string ErrorComment(DcmDataset* statusDetail) {
    OFString comment;
    if (statusDetail != nullptr) statusDetail->findAndGetOFString(DCM_ErrorComment, comment);
    // The archive's own words: escaped and cut before they reach a log line.
    return LogSafe(std::string_view(comment.c_str(), comment.length()));
}

std::string Said(const std::string& comment) {
    return comment.empty() ? std::string() : ", the archive said: " + comment;
}

}  // namespace pelko::dicom::dcmtk
