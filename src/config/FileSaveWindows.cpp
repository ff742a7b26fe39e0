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
