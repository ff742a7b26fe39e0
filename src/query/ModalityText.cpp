#include "query/ModalityText.h"

#include <algorithm>

namespace pelko::query {

std::string ModalityText(const dicom::Dataset& study) {
    std::string modality = study.Attributes().Item(dicom::tags::Modality);
    if (!modality.empty()) return modality;
    modality = study.Attributes().Item(dicom::tags::ModalitiesInStudy);
    std::replace(modality.begin(), modality.end(), '\\', '/');
    return modality;
}

}  // namespace pelko::query
