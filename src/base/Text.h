// Small text pieces of the settings and key handling: the blanks around
// values and names, ASCII letter case, and the Backspace character code.
#pragma once

#include <algorithm>
#include <string_view>

namespace pelko {

// The character code of Backspace, as the key filters see it.
inline constexpr int kBackspace = 8;

// Space, tab and vertical tab.
constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v';
}

constexpr std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

constexpr std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

constexpr std::string_view Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

// Equal but for the case of the ASCII letters.
constexpr bool EqualsNoCase(std::string_view a, std::string_view b) {
    constexpr auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace pelko
