#include "dicom/dcmtk/DcmtkEcho.h"

#include "dcmtk/dcmdata/dcuid.h"
#include "dicom/dcmtk/DcmtkScu.h"

namespace pelko::dicom::dcmtk {

EchoResult DcmtkEcho(const AssociationParameters& params) {
    using Clock = std::chrono::steady_clock;
    using std::chrono::duration_cast;
    using std::chrono::microseconds;

    const auto start = Clock::now();
    Scu scu(params, params.timeouts.associationSeconds);
    const std::string operation = "C-ECHO on " + scu.peer().Text();
    scu.Propose(UID_VerificationSOPClass, {UID_LittleEndianImplicitTransferSyntax});
    scu.Connect();
    const T_ASC_PresentationContextID context = scu.ContextFor(UID_VerificationSOPClass, operation);

    const auto sent = Clock::now();
    const OFCondition cond = scu.sendECHORequest(context);
    const auto answered = Clock::now();
    if (cond.bad()) {
        DicomError error = NetworkError(operation, cond, scu.dimseTimeoutSeconds());
        scu.Abort();
        throw error;
    }
    scu.Release();
    return EchoResult{duration_cast<microseconds>(answered - sent),
                      duration_cast<microseconds>(Clock::now() - start)};
}

}  // namespace pelko::dicom::dcmtk
