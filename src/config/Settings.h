// Access to Settings.ini for the main window: GetINI reloads the archive
// settings and the two options; CheckINI guards every network action.
#pragma once

#include <filesystem>

#include "config/AppSettings.h"

namespace pelko {
class ErrorReporter;
}

namespace pelko::config {

class Settings {
public:
    Settings(std::filesystem::path programFolder, AppSettings& record, ErrorReporter& errors);

    std::filesystem::path path() const { return SettingsPath(programFolder_); }
    AppSettings& record() { return record_; }

    // Reloads LocalAET, UseForward, QueryAET, QueryIP, QueryPort and
    // UseRegistered, each on its own: a value that does not convert leaves
    // its field as it was. Never reports anything.
    void GetINI();
    // True after GetINI when Settings.ini exists; otherwise logs
    // "Settings.ini is not available", shows message A and returns false.
    bool CheckINI();

private:
    std::filesystem::path programFolder_;
    AppSettings& record_;
    ErrorReporter& errors_;
};

}  // namespace pelko::config
