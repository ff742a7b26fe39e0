// Study Root C-MOVE on an open association, followed and cancellable.
// Private to the adapter.
#pragma once

#include "dicom/Toolkit.h"

class DcmDataset;

namespace pelko::dicom::dcmtk {

class Association;

// C-MOVE of the study `keys` names to `destination`, the responses awaited
// for at most `responseSeconds` each. `observer`, when given, sees every
// pending response and is asked every 200 ms whether to cancel; after its
// C-CANCEL the archive has `cancelGraceSeconds` for its final response,
// then the association is aborted. Throws DicomError as
// QueryAssociation::Move says.
MoveResult MoveStudy(Association& assoc, const std::string& operation, DcmDataset& keys,
                     const std::string& destination, MoveObserver* observer, int responseSeconds,
                     int cancelGraceSeconds);

}  // namespace pelko::dicom::dcmtk
