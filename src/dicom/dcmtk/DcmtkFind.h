// Study Root C-FIND on an association of its own. Private to the adapter.
#pragma once

#include "dicom/Toolkit.h"

namespace pelko {
class DicomLog;
}

namespace pelko::dicom::dcmtk {

// One association: C-FIND with `identifier` (Query/Retrieve Level "STUDY"
// added when absent); after kMaxFindResults pending responses the query is
// cancelled. Responses still on the way are read and dropped for the find
// cancel grace of the time-outs; then the association is aborted when the
// archive goes on sending. The results keep only the attributes that the
// program reads and those that `identifier` asked for. Every pending
// response counts toward kMaxFindResults, and the whole find ends after
// params.timeouts.searchSeconds whatever the archive does (a trickle of
// bytes included): the connection is shut then. `observer` may cancel.
// Throws DicomError.
DatasetList FindStudies(const AssociationParameters& params, const Dataset& identifier, DicomLog* log,
                        const FindObserver* observer = nullptr);

}  // namespace pelko::dicom::dcmtk
