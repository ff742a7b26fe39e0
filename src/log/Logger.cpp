#include "log/Logger.h"

#include <fstream>

#include "base/LocalFiles.h"
#include "log/Latin1.h"
#include "log/Timestamp.h"

namespace pelko {

Logger::Logger(std::filesystem::path programFolder, const Clock& clock, std::string localeName)
    : programFolder_(std::move(programFolder)), clock_(clock), localeName_(std::move(localeName)) {}

void Logger::LogError(std::int32_t number, const std::string& description, const std::string& label) {
    LogDebug("ERROR: " + description);
    append(errorLog(), FormatGeneralDate(clock_.now(), localeName_) + " - " + std::to_string(number) + " - " +
                           description + " - " + label);
}

void Logger::LogDebug(const std::string& message) {
    append(debugLog(), FormatGeneralDate(clock_.now(), localeName_) + " - " + message);
}

void Logger::append(const std::filesystem::path& file, const std::string& utf8Line) {
    // The lines name patients: a new folder and new logs are the user's alone.
    if (!files::MakePrivateFolder(folder())) return;
    files::MakePrivateFile(file);
    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (!out) return;
    out << Utf8ToLatin1(utf8Line) << "\r\n";
}

}  // namespace pelko
