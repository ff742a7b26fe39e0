#include "dicom/dcmtk/DcmtkErrors.h"

#include <cstdio>

#include "dcmtk/dcmdata/dcdatset.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmnet/cond.h"
#include "dicom/StatusWords.h"

namespace pelko::dicom::dcmtk {

std::string Peer::Text() const {
    return aet + " (" + host + ":" + std::to_string(port) + ")";
}

std::string StatusHex(std::uint16_t status) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%04X", static_cast<unsigned>(status));
    return buf;
}

DicomError NetworkError(const std::string& operation, const OFCondition& cond, int waitSeconds) {
    const std::string detail = cond.text() ? cond.text() : "";
    std::int32_t number = kErrProtocol;
    std::string reason;
    if (cond == DIMSE_NODATAAVAILABLE || cond == DUL_READTIMEOUT) {
        return DicomError(kErrTimeout, NetworkWords(NetworkFailure::NoAnswer, "",
                                                    operation + ": no answer within " +
                                                        std::to_string(waitSeconds) + " s"));
    } else if (cond.module() == OFM_dcmnet && cond.code() == DULC_TCPINITERROR) {
        // Connection refused, host unreachable or connect time-out.
        number = kErrNoConnection;
        reason = "no connection (" + detail + ")";
    } else if (cond == DUL_PEERABORTEDASSOCIATION) {
        number = kErrAssociationAborted;
        reason = "association aborted by the peer";
    } else if (cond == DUL_NETWORKCLOSED || cond == DUL_PEERREQUESTEDRELEASE ||
               (cond.module() == OFM_dcmnet && cond.code() == DULC_TCPIOERROR)) {
        number = kErrAssociationAborted;
        reason = "connection closed by the peer (" + detail + ")";
    } else if (cond == NET_EC_NoAcceptablePresentationContexts) {
        number = kErrNoPresentationContext;
        reason = "no presentation context accepted";
    } else {
        reason = detail.empty() ? "network error" : detail;
    }
    return DicomError(number, operation + " failed: " + reason);
}

DicomError StatusError(const std::string& operation, std::uint16_t status, const std::string& statusText,
                       const std::string& comment) {
    std::string description = operation + " failed: status " + StatusHex(status);
    if (!statusText.empty()) description += " (" + statusText + ")";
    if (!comment.empty()) description += ": " + comment;
    return DicomError(status, description);
}

std::string ErrorComment(DcmDataset* statusDetail) {
    OFString comment;
    if (statusDetail != nullptr) statusDetail->findAndGetOFString(DCM_ErrorComment, comment);
    return comment.c_str();
}

}  // namespace pelko::dicom::dcmtk
