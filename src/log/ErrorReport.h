// The error funnel: how a failure of a handler's step is reported, in one
// place. Each handler runs its steps through ErrorReporter::Run under its
// procedure label (the label the logs show) with its report style.
#pragma once

#include <cstdint>
#include <string>

#include "log/Error.h"

namespace pelko {

class Logger;

// "There was an error." / "Read the log file for more information."
inline constexpr const char* kSeeLogMessage = "There was an error.\nRead the log file for more information.";

// "<number> - <description>"
std::string ErrorDetails(std::int32_t number, const std::string& description);

// The details behind the see-the-log message: the error as Error.log holds
// it, and where that file is.
std::string SeeLogDetails(std::int32_t number, const std::string& description,
                          const std::string& errorLogPath);

// Message boxes titled with the application title.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual void showError(const std::string& text) = 0;  // error icon, OK
    // Error icon, OK, and `details` behind the box's "Show Details...".
    virtual void showErrorWithDetails(const std::string& text, const std::string& details) = 0;
    virtual void showInfo(const std::string& text) = 0;  // information icon, OK
};

enum class Report {
    LogThenSeeLog,   // the log line, then the see-the-log message with SeeLogDetails
    LogThenDetails,  // the log line, then "<number> - <description>" and the suffix
    DetailsThenLog,  // "<number> - <description>", then the log line
};

class ErrorReporter {
public:
    ErrorReporter(Logger& logger, MessageBoxes& boxes) : logger_(logger), boxes_(boxes) {}

    // Runs `step`; when it throws, the failure is reported in `style` under
    // `label` (the suffix follows the details of LogThenDetails). True when
    // the step ran to its end.
    template <typename Step>
    bool Run(const std::string& label, Report style, Step&& step, const std::string& suffix = {}) {
        try {
            step();
            return true;
        } catch (...) {
            const ErrorInfo e = CurrentErrorInfo();
            report(style, e.number, e.description, label, suffix);
            return false;
        }
    }

    // Runs `step`; when it throws, the failure is logged under `label` and
    // then shown as `explain(error)` instead of its number and description:
    // for failures the user can act on. True when the step ran to its end.
    template <typename Step, typename Explain>
    bool RunExplained(const std::string& label, Step&& step, Explain&& explain) {
        try {
            step();
            return true;
        } catch (...) {
            const ErrorInfo e = CurrentErrorInfo();
            logThenShow(e, label, explain(e));
            return false;
        }
    }

    // A failure found without an exception.
    void report(Report style, std::int32_t number, const std::string& description, const std::string& label,
                const std::string& suffix = {});
    // Only the log line: for an event the caller tells the user about in
    // its own words (a cancelled send).
    void log(std::int32_t number, const std::string& description, const std::string& label);

private:
    void logThenShow(const ErrorInfo& error, const std::string& label, const std::string& message);

    Logger& logger_;
    MessageBoxes& boxes_;
};

}  // namespace pelko
