// The DICOM toolkit on DCMTK. The only header of the program through which
// DCMTK is reached; it exposes no DCMTK type.
#pragma once

#include <memory>

#include "dicom/Toolkit.h"

namespace pelko::dicom {

// Sends DCMTK's own log output nowhere unless `verbose` is set (then to
// stderr). Call once at start.
void ConfigureDcmtkLogging(bool verbose = false);

std::unique_ptr<Toolkit> MakeDcmtkToolkit();

}  // namespace pelko::dicom
