// Study Root C-FIND on an association of its own. Private to the adapter.
#pragma once

#include "dicom/Toolkit.h"

namespace pelko {
class DicomLog;
}

namespace pelko::dicom::dcmtk {

// After the C-CANCEL that ends a C-FIND at kMaxFindResults matches, the
// archive may still have responses on the way; they are read and dropped
// for this long before the association is aborted.
inline constexpr int kFindCancelGraceSeconds = 1;

// One association: C-FIND with `identifier` (Query/Retrieve Level "STUDY"
// added when absent); after kMaxFindResults matches the query is cancelled,
// and the association aborted when the archive goes on sending. Throws
// DicomError.
DatasetList FindStudies(const AssociationParameters& params, const Dataset& identifier, DicomLog* log);

}  // namespace pelko::dicom::dcmtk
