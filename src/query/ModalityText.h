// The Modality cell of a study found by the search.
#pragma once

#include <string>

#include "dicom/Toolkit.h"

namespace pelko::query {

// Modality (0008,0060) as the archive answered it; when that is empty,
// Modalities in Study (0008,0061) with its values joined by "/" ("CT\PT"
// gives "CT/PT").
std::string ModalityText(const dicom::Dataset& study);

}  // namespace pelko::query
