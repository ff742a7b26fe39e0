// Study Root C-FIND on an association of its own. Private to the adapter.
#pragma once

#include "dicom/Toolkit.h"

namespace pelko {
class DicomLog;
}

namespace pelko::dicom::dcmtk {

// One association: C-FIND with `identifier` (Query/Retrieve Level "STUDY"
// added when absent); after kMaxFindResults matches the query is cancelled.
// Responses still on the way are read and dropped for the find cancel grace
// of the time-outs; then the association is aborted when the archive goes
// on sending. Throws DicomError.
DatasetList FindStudies(const AssociationParameters& params, const Dataset& identifier, DicomLog* log);

}  // namespace pelko::dicom::dcmtk
