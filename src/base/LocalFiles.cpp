#include "base/LocalFiles.h"

#include <system_error>

namespace pelko::files {

std::optional<std::string> ReadRefusal(const std::filesystem::path& file, std::uintmax_t maxBytes) {
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (ec || !std::filesystem::exists(status)) return std::nullopt;
    if (!std::filesystem::is_regular_file(status)) return "it is not a regular file";
    const auto size = std::filesystem::file_size(file, ec);
    if (!ec && size > maxBytes) {
        return "it is larger than " + std::to_string(maxBytes / 1024) + " KB (" + std::to_string(size) +
               " bytes)";
    }
    return std::nullopt;
}

}  // namespace pelko::files
