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
// added when absent); after kMaxFindResults pending responses the query is
// cancelled, and the association aborted when the archive goes on sending.
// The results keep only the attributes that the program reads and those
// that `identifier` asked for. Throws
// DicomError.
// Every pending response counts toward kMaxFindResults, and the whole find
// ends after params.timeouts.searchSeconds whatever the archive does (a
// trickle of bytes included): the connection is shut then. `observer` may
// cancel.
DatasetList FindStudies(const AssociationParameters& params, const Dataset& identifier, DicomLog* log,
                        const FindObserver* observer = nullptr);

}  // namespace pelko::dicom::dcmtk
