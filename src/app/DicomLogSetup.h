// The DICOM log as Settings.ini asks for it at start: [Log] Dicom=1 gives a
// sink writing Logs/Dicom.log in the data folder; otherwise there is none
// and no such file is made.
#pragma once

#include <filesystem>
#include <memory>

#include "log/Clock.h"
#include "log/DicomFileLog.h"

namespace pelko {

std::unique_ptr<DicomFileLog> OpenDicomLog(const std::filesystem::path& dataFolder,
                                           const std::filesystem::path& logFolder, const Clock& clock);

}  // namespace pelko
