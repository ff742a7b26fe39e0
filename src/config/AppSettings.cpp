#include "config/AppSettings.h"

#include <charconv>

#include "base/Text.h"

namespace pelko::config {

std::optional<NodeEntry> ParseNodeEntry(std::string_view text) {
    const auto bar = text.find('|');
    if (bar == std::string_view::npos) return std::nullopt;
    std::string_view rest = text.substr(bar + 1);
    rest = rest.substr(0, rest.find('|'));
    return NodeEntry{std::string(text.substr(0, bar)), std::string(rest)};
}

std::string FormatNodeEntry(const NodeEntry& entry) {
    return entry.alias + "|" + entry.aet;
}

std::filesystem::path SettingsPath(const std::filesystem::path& programFolder) {
    return programFolder / "Settings.ini";
}

std::string ResolvePath(const std::string& path, const std::filesystem::path& folder) {
    if (path.empty()) return path;
    const std::filesystem::path p = Utf8Path(path);
    return p.is_absolute() ? path : PathText(folder / p);
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<bool> ParseBool(std::string_view text) {
    const std::string_view t = Trim(text);
    if (EqualsNoCase(t, "true")) return true;
    if (EqualsNoCase(t, "false")) return false;
    if (auto n = ParseInt32(t)) return *n != 0;
    return std::nullopt;
}

}  // namespace pelko::config
