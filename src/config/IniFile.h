// Settings.ini access with the profile-string behaviour that the files in the
// field were written with: case-blind names, the first section and the first
// key of a name win, blanks and one pair of outer quotes are dropped on
// reading, and a write changes only the one line it is about.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace pelko::config {

// A settings file larger than this is refused: it cannot be one that a
// person or this program wrote.
inline constexpr std::uintmax_t kMaxSettingsFileBytes = 16 * 1024 * 1024;

// Names and values are UTF-8 inside the program; the file is ISO-8859-1.
// Returns the value of key in the first section named section, without its
// outer blanks and one pair of enclosing quotes, cut to size - 1 characters.
// A missing file, section or key gives defaultValue without its trailing
// blanks. The file is opened and looked at on every call; it is read and
// parsed again only when it has changed (its identity, size or times; a
// file written in the last two seconds is compared byte for byte). A file
// that is not a regular one (a link to /dev/zero, a FIFO) or is larger than
// kMaxSettingsFileBytes throws Error (kErrSettingsRefused) naming it.
std::string ReadIni(std::string_view section, std::string_view key, std::string_view defaultValue,
                    const std::filesystem::path& file, int size = 256);

// Stores value under key in the first section named section, creating the
// file (when its folder exists), the section or the key as needed.
// Returns false when the write could not be done; the file is then unchanged.
// A section, key or value with CR or LF is never written: it would add
// lines of its own to the file.
[[nodiscard]] bool WriteIni(std::string_view section, std::string_view key, std::string_view value,
                            const std::filesystem::path& file);

// Removes the temporary files that saves of `file` left in its folder when
// their process ended in the middle of one (a crash, a kill). A file that a
// running copy may still be writing is kept: one of a process that still
// runs on this computer, or one written to within the last minute.
void RemoveLeftoverTempFiles(const std::filesystem::path& file);

}  // namespace pelko::config
