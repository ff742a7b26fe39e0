// The in-memory settings record and the conversions of Settings.ini values.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pelko::config {

inline constexpr int kMaxNodes = 101;  // Node0 ... Node100
inline constexpr int kIniSize = 256;   // every read returns at most 255 characters

struct AppSettings {
    std::string LocalAET;
    std::string QueryAET;
    std::string QueryIP;
    std::int32_t QueryPort = 0;
    bool UseForward = false;
    bool UseRegistered = false;
    // Node entries "alias|AE title"; the list ends at the first empty entry.
    std::array<std::string, kMaxNodes> NodeList;
};

// <program folder>/Settings.ini, built anew at every access.
std::filesystem::path SettingsPath(const std::filesystem::path& programFolder);

// A decimal 32-bit integer, blanks around it allowed.
std::optional<std::int32_t> ParseInt32(std::string_view text);
// "0" is false, any other number true; "true"/"false" in any letter case.
std::optional<bool> ParseBool(std::string_view text);

}  // namespace pelko::config
