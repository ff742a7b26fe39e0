// Small text pieces of the settings and key handling: the blanks around
// values and names, ASCII letter case, and the Backspace character code.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>

namespace pelko {

// A path as UTF-8 text (messages, logs) and back: never through the
// system's ANSI code page, which cannot hold every name.
inline std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
inline std::filesystem::path Utf8Path(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

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
