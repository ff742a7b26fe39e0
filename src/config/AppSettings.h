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

// [Query] SearchTimeout: a value outside the range gives the default.
inline constexpr int kDefaultSearchTimeoutSeconds = 120;
inline constexpr int kMinSearchTimeoutSeconds = 1;
inline constexpr int kMaxSearchTimeoutSeconds = 86400;

struct AppSettings {
    std::string LocalAET;
    std::string QueryAET;
    std::string QueryIP;
    std::int32_t QueryPort = 0;
    bool UseForward = false;
    bool UseRegistered = false;
    // DICOM over TLS towards the archive, and its PEM files with their paths
    // resolved against the data folder ("" when not set).
    bool QueryTls = false;
    std::string QueryTlsCertificate;
    std::string QueryTlsPrivateKey;
    std::string QueryTlsTrustedCertificates;
    // The longest a search may take in all ([Query] SearchTimeout).
    int SearchTimeoutSeconds = kDefaultSearchTimeoutSeconds;
    // Node entries "alias|AE title"; the list ends at the first empty entry.
    std::array<std::string, kMaxNodes> NodeList;
};

// A destination node as Settings.ini keeps it: "alias|AE title".
struct NodeEntry {
    std::string alias;
    std::string aet;
    bool operator==(const NodeEntry&) const = default;
};

// The alias and the AE title of an entry; pieces after a second "|" are
// ignored. nullopt for an entry without "|" (the empty one included).
std::optional<NodeEntry> ParseNodeEntry(std::string_view text);
// "alias|AE title". Neither text may hold a "|" (the node entry dialog
// refuses one).
std::string FormatNodeEntry(const NodeEntry& entry);

// <program folder>/Settings.ini, built anew at every access.
std::filesystem::path SettingsPath(const std::filesystem::path& programFolder);

// A path from Settings.ini: "" stays "", an absolute path stays as it is,
// a relative one is taken from `folder` (the folder of Settings.ini).
std::string ResolvePath(const std::string& path, const std::filesystem::path& folder);

// A decimal 32-bit integer, blanks around it allowed.
std::optional<std::int32_t> ParseInt32(std::string_view text);
// "0" is false, any other number true; "true"/"false" in any letter case.
std::optional<bool> ParseBool(std::string_view text);

}  // namespace pelko::config
