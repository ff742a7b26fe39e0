// C-ECHO on DCMTK: does the archive answer, with these parameters? Private
// to the adapter.
#pragma once

#include "dicom/Toolkit.h"

namespace pelko {
class DicomLog;
}

namespace pelko::dicom::dcmtk {

// One association with the Verification SOP Class in Implicit VR Little
// Endian, one C-ECHO, release; the response is awaited for the association
// bound. Throws DicomError naming "C-ECHO on <AE> (<host>:<port>)" or the
// association: kErrNoConnection (refused, unreachable, no answer within the
// connect bound), kErrAssociationRejected (with the reject reason),
// kErrTimeout, kErrAssociationAborted, kErrNoPresentationContext,
// kErrTlsHandshake, kErrTlsSettings, kErrInvalidArgument (no host, bad port).
EchoResult DcmtkEcho(const AssociationParameters& params, DicomLog* log = nullptr);

}  // namespace pelko::dicom::dcmtk
