#include "log/ErrorReport.h"

#include "log/Logger.h"

namespace pelko {

std::string ErrorDetails(std::int32_t number, const std::string& description) {
    return std::to_string(number) + " - " + description;
}

std::string SeeLogDetails(std::int32_t number, const std::string& description,
                          const std::string& errorLogPath) {
    return ErrorDetails(number, description) + "\n\nLog file: " + errorLogPath;
}

void ErrorReporter::report(Report style, std::int32_t number, const std::string& description,
                           const std::string& label, const std::string& suffix) {
    switch (style) {
        case Report::LogThenSeeLog:
            logger_.LogError(number, description, label);
            boxes_.showErrorWithDetails(kSeeLogMessage,
                                        SeeLogDetails(number, description, logger_.errorLog().string()));
            break;
        case Report::LogThenDetails:
            logger_.LogError(number, description, label);
            boxes_.showError(ErrorDetails(number, description) + suffix);
            break;
        case Report::DetailsThenLog:
            boxes_.showError(ErrorDetails(number, description));
            logger_.LogError(number, description, label);
            break;
    }
}

void ErrorReporter::log(std::int32_t number, const std::string& description, const std::string& label) {
    logger_.LogError(number, description, label);
}

void ErrorReporter::logThenShow(const ErrorInfo& error, const std::string& label,
                                const std::string& message) {
    logger_.LogError(error.number, error.description, label);
    boxes_.showError(message);
}

}  // namespace pelko
