// Settings.ini reader and writer with the profile-string semantics.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pelko::config {

// Names and values are UTF-8 inside the program; the file is ISO-8859-1.
std::string ReadIni(std::string_view section, std::string_view key, std::string_view defaultValue,
                    const std::filesystem::path& file, int size = 256);
// Returns false when the write could not be done; the file is then unchanged.
bool WriteIni(std::string_view section, std::string_view key, std::string_view value,
              const std::filesystem::path& file);

}  // namespace pelko::config
