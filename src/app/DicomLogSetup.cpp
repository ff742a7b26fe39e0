#include "app/DicomLogSetup.h"

#include "config/Settings.h"

namespace pelko {

std::unique_ptr<DicomFileLog> OpenDicomLog(const std::filesystem::path& dataFolder,
                                           const std::filesystem::path& logFolder, const Clock& clock) {
    if (!config::DicomLogWanted(dataFolder)) return nullptr;
    return std::make_unique<DicomFileLog>(logFolder, clock);
}

}  // namespace pelko
