#include "dicom/dcmtk/DcmtkToolkit.h"

namespace pelko::dicom {

void ConfigureDcmtkLogging(bool) {}

std::unique_ptr<Toolkit> MakeDcmtkToolkit(const Timeouts&) { return nullptr; }

}  // namespace pelko::dicom
