#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/LocalFiles.h"

namespace pelko::files {

bool MakePrivateFolder(const std::filesystem::path& folder) {
    // chmod after mkdir: the umask may take bits away from 0700, never add them.
    if (::mkdir(folder.c_str(), 0700) == 0) ::chmod(folder.c_str(), 0700);
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

namespace {

// Creates `file` with `mode` (and `group` when it is not -1) unless it exists.
void Create(const std::filesystem::path& file, mode_t mode, gid_t group) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd < 0) return;
    if (group != static_cast<gid_t>(-1) && ::fchown(fd, static_cast<uid_t>(-1), group) != 0) {
        // Not a group of ours: the file keeps our group, with the mode.
    }
    ::fchmod(fd, mode);
    ::close(fd);
}

}  // namespace

void MakePrivateFile(const std::filesystem::path& file) {
    Create(file, 0600, static_cast<gid_t>(-1));
}

void MakeFileLike(const std::filesystem::path& file, const std::filesystem::path& model) {
    struct stat info {};
    if (::stat(model.c_str(), &info) != 0) {
        MakePrivateFile(file);
        return;
    }
    Create(file, info.st_mode & 07777, info.st_gid);
}

bool ReadableByAll(const std::filesystem::path& file) {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 && (info.st_mode & S_IROTH) != 0;
}

}  // namespace pelko::files
