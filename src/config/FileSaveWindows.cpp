#include <windows.h>

#include <algorithm>
#include <system_error>

#include "config/FileSave.h"

namespace pelko::config {
namespace {

namespace fs = std::filesystem;

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr)) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

HANDLE CreateTempFile(const std::function<fs::path()>& tempName, fs::path& temp) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        temp = tempName();
        const HANDLE file = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

bool ExamineFile(const fs::path& file, FileFacts& facts) {
    facts = {};
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    facts.exists = true;
    facts.regular = (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
    if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) {
        // The open for appending changes nothing; it fails for a file the
        // user may not write to.
        const HANDLE handle = ::CreateFileW(file.c_str(), FILE_APPEND_DATA,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            facts.writable = true;
            ::CloseHandle(handle);
        }
    }
    return true;
}

bool ReplaceFileWith(const fs::path& target, std::string_view bytes, const FileFacts* /*previous*/,
                     const std::function<fs::path()>& tempName) {
    fs::path temp;
    const HANDLE file = CreateTempFile(tempName, temp);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = WriteAll(file, bytes) && ::FlushFileBuffers(file);
    ok = ::CloseHandle(file) && ok;
    // One step, and only once the new file's bytes are on the disk. A reader
    // (a virus scanner, an editor) may hold the old file for a moment: a few
    // tries before the save counts as failed.
    for (int attempt = 0; ok && attempt < 5; ++attempt) {
        if (::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
        ::Sleep(20);
    }
    ::DeleteFileW(temp.c_str());
    return false;
}

long CurrentProcessId() {
    return static_cast<long>(::GetCurrentProcessId());
}

bool ProcessMayRun(long pid) {
    if (pid <= 0) return false;
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) {
        // No such process; any other refusal (another user's) counts as running.
        return ::GetLastError() != ERROR_INVALID_PARAMETER;
    }
    DWORD code = 0;
    const bool running = !::GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
}

}  // namespace pelko::config

namespace pelko::config {
namespace {

// 100-nanosecond intervals since 1601, as nanoseconds.
std::int64_t Nanoseconds(const FILETIME& t) {
    const std::uint64_t ticks = (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return static_cast<std::int64_t>(ticks) * 100;
}

HANDLE Handle(std::intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

}  // namespace

std::int64_t FileClockNowNs() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return Nanoseconds(now);
}

ReadOnlyFile::ReadOnlyFile(const std::filesystem::path& file) {
    const HANDLE h =
        ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    handle_ = reinterpret_cast<std::intptr_t>(h);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info)) return;
    open_ = true;
    regular_ = ::GetFileType(h) == FILE_TYPE_DISK && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    identity_ = {info.dwVolumeSerialNumber,
                 (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow,
                 (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow,
                 Nanoseconds(info.ftLastWriteTime), Nanoseconds(info.ftCreationTime)};
}

ReadOnlyFile::~ReadOnlyFile() {
    if (handle_ != -1) ::CloseHandle(Handle(handle_));
}

long long ReadOnlyFile::Read(char* out, std::size_t max) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(max, 1u << 20));
    if (!::ReadFile(Handle(handle_), out, want, &got, nullptr)) return -1;
    return got;
}

}  // namespace pelko::config
