#include "base/AeTitle.h"

#include <algorithm>

namespace pelko {

std::optional<std::string> AeTitleProblem(std::string_view title) {
    while (!title.empty() && title.front() == ' ') title.remove_prefix(1);
    while (!title.empty() && title.back() == ' ') title.remove_suffix(1);
    const auto has = [&](auto&& test) {
        return std::any_of(title.begin(), title.end(),
                           [&](char c) { return test(static_cast<unsigned char>(c)); });
    };
    if (has([](unsigned char c) { return c >= 0x80; })) return "contains a character outside ASCII";
    if (has([](unsigned char c) { return c < 0x20 || c == 0x7F; })) return "contains a control character";
    if (has([](unsigned char c) { return c == '\\'; })) return "contains a backslash";
    if (title.size() > kAeTitleMaxLength) {
        return "is " + std::to_string(title.size()) + " characters long; at most " +
               std::to_string(kAeTitleMaxLength) + " are allowed";
    }
    return std::nullopt;
}

}  // namespace pelko
