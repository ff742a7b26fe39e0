#include "dicom/dcmtk/DcmtkEcho.h"

#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/diutil.h"
#include "dicom/dcmtk/DcmtkAssociation.h"

namespace pelko::dicom::dcmtk {

EchoResult DcmtkEcho(const AssociationParameters& params, DicomLog* log) {
    using Clock = std::chrono::steady_clock;
    using std::chrono::duration_cast;
    using std::chrono::microseconds;

    const auto start = Clock::now();
    Association assoc(params, params.timeouts.associationSeconds, log);
    const std::string operation = "C-ECHO on " + assoc.peer().Text();
    assoc.Propose(UID_VerificationSOPClass, {UID_LittleEndianImplicitTransferSyntax});
    assoc.Open();
    assoc.ContextFor(UID_VerificationSOPClass, operation);

    const auto sent = Clock::now();
    DIC_US status = 0;
    DcmDataset* detail = nullptr;
    const int wait = assoc.dimseTimeoutSeconds();
    const OFCondition cond =
        DIMSE_echoUser(assoc.raw(), assoc.NextMessageId(), DIMSE_NONBLOCKING, wait, &status, &detail);
    const auto answered = Clock::now();
    const std::unique_ptr<DcmDataset> statusDetail(detail);
    if (cond.bad()) assoc.Fail(NetworkError(operation, cond, wait));
    const std::string comment = ErrorComment(detail);
    assoc.LogOperation(operation, "status " + StatusHex(status) + Said(comment), sent);
    assoc.Release();
    if (status != STATUS_Success) throw StatusError(Operation::Echo, status, comment);
    return EchoResult{duration_cast<microseconds>(answered - sent),
                      duration_cast<microseconds>(Clock::now() - start)};
}

}  // namespace pelko::dicom::dcmtk
