#include <windows.h>

#include <system_error>

#include "base/LocalFiles.h"

// On Windows a new file or folder takes the access list of the folder it is
// made in. The data folder is the user's own (%APPDATA%\Pelko for an
// installed Pelko, the folder the user unpacked a portable one to), so the
// logs inherit that access; no mode bits exist to set or copy.
namespace pelko::files {

bool MakePrivateFolder(const std::filesystem::path& folder) {
    ::CreateDirectoryW(folder.c_str(), nullptr);
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec);
}

void MakePrivateFile(const std::filesystem::path& file) {
    const HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
}

void MakeFileLike(const std::filesystem::path& file, const std::filesystem::path&) {
    MakePrivateFile(file);
}

// Access on Windows is a list per user and group, not a bit for everyone;
// the check that warns of a key file readable by all is POSIX's.
bool ReadableByAll(const std::filesystem::path&) {
    return false;
}

}  // namespace pelko::files
