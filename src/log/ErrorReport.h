// How handlers report a failure: a line in the logs and an error box.
#pragma once

#include <cstdint>
#include <string>

namespace pelko {

class Logger;

// "There was an error." / "Read the log file for more information."
inline constexpr const char* kMessageA = "There was an error.\nRead the log file for more information.";

// "<number> - <description>"
std::string MessageB(std::int32_t number, const std::string& description);

// Message boxes titled with the application title.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void showError(const std::string& text) = 0;  // error icon, OK
    virtual void showInfo(const std::string& text) = 0;   // information icon, OK
};

class ErrorReporter {
public:
    ErrorReporter(Logger& logger, MessageBoxes& boxes) : logger_(logger), boxes_(boxes) {}

    // Log, then message A.
    void logThenMessageA(std::int32_t number, const std::string& description, const std::string& label);
    // Log, then message B followed by `suffix`.
    void logThenMessageB(std::int32_t number, const std::string& description, const std::string& label,
                         const std::string& suffix = {});
    // Message B first, then the log line.
    void messageBThenLog(std::int32_t number, const std::string& description, const std::string& label);

    Logger& logger() { return logger_; }
    MessageBoxes& boxes() { return boxes_; }

private:
    Logger& logger_;
    MessageBoxes& boxes_;
};

}  // namespace pelko
