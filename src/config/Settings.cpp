#include "config/Settings.h"

#include <system_error>

#include "config/IniFile.h"
#include "log/ErrorReport.h"

namespace pelko::config {

Settings::Settings(std::filesystem::path programFolder, AppSettings& record, ErrorReporter& errors)
    : programFolder_(std::move(programFolder)), record_(record), errors_(errors) {}

void Settings::GetINI() {
    const auto file = path();
    auto read = [&](const char* section, const char* key, const char* def) {
        return ReadIni(section, key, def, file, kIniSize);
    };
    record_.LocalAET = read("Local", "AET", "");
    if (auto v = ParseBool(read("General", "Forward", "0"))) record_.UseForward = *v;
    record_.QueryAET = read("Query", "AET", "");
    record_.QueryIP = read("Query", "IP", "");
    if (auto v = ParseInt32(read("Query", "Port", "0"))) record_.QueryPort = *v;
    if (auto v = ParseBool(read("General", "Registered", "0"))) record_.UseRegistered = *v;
}

bool Settings::CheckINI() {
    std::error_code ec;
    if (std::filesystem::is_regular_file(path(), ec)) {
        GetINI();
        return true;
    }
    errors_.logThenMessageA(0, "Settings.ini is not available", "CheckInI");
    return false;
}

}  // namespace pelko::config
