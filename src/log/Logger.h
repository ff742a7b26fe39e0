// The two append-only logs in <program folder>/Logs: Error.log gets one line
// per reported error, Debug.log the same errors in a shorter form.
//
// Lines are ISO-8859-1 and end in CRLF. A log that cannot be written (read-
// only folder, full disk) is skipped silently: logging never takes the
// program down.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "log/Clock.h"

namespace pelko {

class Logger {
public:
    Logger(std::filesystem::path programFolder, const Clock& clock, std::string localeName = {});

    // "<timestamp> - <number> - <description> - <label>" to Error.log, after
    // "ERROR: <description>" went to Debug.log.
    void LogError(std::int32_t number, const std::string& description, const std::string& label);
    // "<timestamp> - <message>" to Debug.log.
    void LogDebug(const std::string& message);

    std::filesystem::path folder() const { return programFolder_ / "Logs"; }
    std::filesystem::path errorLog() const { return folder() / "Error.log"; }
    std::filesystem::path debugLog() const { return folder() / "Debug.log"; }

private:
    void append(const std::filesystem::path& file, const std::string& utf8Line);

    std::filesystem::path programFolder_;
    const Clock& clock_;
    std::string localeName_;
};

}  // namespace pelko
