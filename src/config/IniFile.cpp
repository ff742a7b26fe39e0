// Placeholder until the reader and writer land.
#include "config/IniFile.h"

namespace pelko::config {
std::string ReadIni(std::string_view, std::string_view, std::string_view d, const std::filesystem::path&, int) {
    return std::string(d);
}
bool WriteIni(std::string_view, std::string_view, std::string_view, const std::filesystem::path&) { return false; }
}  // namespace pelko::config
