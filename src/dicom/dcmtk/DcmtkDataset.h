// Conversion between the toolkit's Dataset (UTF-8 texts) and DCMTK's
// DcmDataset (bytes in the Specific Character Set). Private to the adapter.
#pragma once

#include <memory>
#include <string>

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmdata/dcdatset.h"
#include "dicom/Toolkit.h"

namespace pelko::dicom::dcmtk {

// A DcmDataset holding every attribute of `dataset`, in the VR of the data
// dictionary; attributes of private groups and tags the dictionary does not
// know are LO. An empty value becomes a zero-length element (universal
// matching in an identifier). Specific Character Set (0008,0005) is set from
// the content (see ChooseCharset); one given in `dataset` is replaced.
// Throws DicomError(kErrInvalidArgument) naming `operation` when a value
// does not fit its VR.
std::unique_ptr<DcmDataset> ToDcmDataset(const Dataset& dataset, const std::string& operation);

// The attributes of `dataset` with text values as UTF-8, decoded by the
// data set's own Specific Character Set (none given: Latin-1). Only string
// and number values are kept, and those without a VR (UN, or private
// attributes read in implicit VR), taken as text; bytes (OB, OW, pixel and
// overlay data), sequences and (0008,0005) are left out.
Dataset FromDcmDataset(DcmDataset& dataset);

}  // namespace pelko::dicom::dcmtk
