#include "log/ErrorReport.h"

#include "log/Logger.h"

namespace pelko {

std::string MessageB(std::int32_t number, const std::string& description) {
    return std::to_string(number) + " - " + description;
}

void ErrorReporter::logThenMessageA(std::int32_t number, const std::string& description,
                                    const std::string& label) {
    logger_.LogError(number, description, label);
    boxes_.showError(kMessageA);
}

void ErrorReporter::logThenMessageB(std::int32_t number, const std::string& description,
                                    const std::string& label, const std::string& suffix) {
    logger_.LogError(number, description, label);
    boxes_.showError(MessageB(number, description) + suffix);
}

void ErrorReporter::messageBThenLog(std::int32_t number, const std::string& description,
                                    const std::string& label) {
    boxes_.showError(MessageB(number, description));
    logger_.LogError(number, description, label);
}

}  // namespace pelko
