// C-ECHO on DCMTK: does the archive answer, with these settings? Exposes no
// DCMTK type.
#pragma once

#include <cstdint>
#include <string>

#include "dicom/Echo.h"
#include "dicom/Tls.h"
#include "dicom/Toolkit.h"

namespace pelko::dicom {

struct EchoTarget {
    std::string host;
    std::int32_t port = 0;
    std::string calledAET;
    std::string callingAET;
    Timeouts timeouts;  // connect and association bounds; the response is bounded by the association's
    TlsSettings tls;
};

// One association with the Verification SOP Class, one C-ECHO, release.
// Throws DicomError naming "C-ECHO on <AE> (<host>:<port>)" or the
// association: kErrNoConnection (refused, unreachable, no answer within the
// connect bound), kErrAssociationRejected (with the reject reason, e.g.
// "called AE title not recognized"), kErrTimeout, kErrAssociationAborted,
// kErrNoPresentationContext, kErrTlsHandshake, kErrTlsSettings,
// kErrInvalidArgument (no host, bad port).
EchoResult DcmtkEcho(const EchoTarget& target);

}  // namespace pelko::dicom
