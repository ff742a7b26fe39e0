#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <system_error>

#include "config/FileSave.h"

namespace pelko::config {
namespace {

namespace fs = std::filesystem;

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

int CreateTempFile(const std::function<fs::path()>& tempName, fs::path& temp) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        temp = tempName();
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

bool ExamineFile(const fs::path& file, FileFacts& facts) {
    facts = {};
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) return errno == ENOENT;
    facts.exists = true;
    facts.regular = S_ISREG(info.st_mode);
    facts.mode = info.st_mode & 07777;
    facts.owner = info.st_uid;
    facts.group = info.st_gid;
    // A write must not get through to a file that is marked read-only. Root
    // passes every permission check of the system, so the mode bits are
    // looked at first; the open for appending (which changes nothing)
    // catches the rest.
    // Only a plain file: opening a FIFO for writing would wait for a reader.
    if (facts.regular && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0) {
        const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK);
        if (fd >= 0) {
            facts.writable = true;
            ::close(fd);
        }
    }
    return true;
}

// The new file gets the owner and mode of the file it replaces.
bool ReplaceFileWith(const fs::path& target, std::string_view bytes, const FileFacts* previous,
                     const std::function<fs::path()>& tempName) {
    fs::path temp;
    const int fd = CreateTempFile(tempName, temp);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes);
    if (ok && previous) {
        if ((previous->owner != ::geteuid() || previous->group != ::getegid()) &&
            ::fchown(fd, previous->owner, previous->group) != 0) {
            // Not ours to give away: the file keeps our owner, with the old mode.
        }
        ok = ::fchmod(fd, previous->mode) == 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    std::error_code ec;
    if (ok) fs::rename(temp, target, ec);
    if (!ok || ec) {
        fs::remove(temp, ec);
        return false;
    }
    const int dirFd = ::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

long CurrentProcessId() {
    return static_cast<long>(::getpid());
}

bool ProcessMayRun(long pid) {
    // EPERM: another user's process.
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH);
}

}  // namespace pelko::config

namespace pelko::config {
namespace {

std::int64_t Nanoseconds(const timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

}  // namespace

std::int64_t FileClockNowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

ReadOnlyFile::ReadOnlyFile(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    handle_ = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0) return;
    open_ = true;
    regular_ = S_ISREG(info.st_mode);
    identity_ = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                 static_cast<std::uint64_t>(info.st_size < 0 ? 0 : info.st_size), Nanoseconds(info.st_mtim),
                 Nanoseconds(info.st_ctim)};
}

ReadOnlyFile::~ReadOnlyFile() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

long long ReadOnlyFile::Read(char* out, std::size_t max) {
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(handle_), out, max);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

}  // namespace pelko::config
