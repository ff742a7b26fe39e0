// The system calls behind saving Settings.ini: one file per platform
// (FileSavePosix.cpp, FileSaveWindows.cpp).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

namespace pelko::config {

// What a save needs to know of the file it replaces.
struct FileFacts {
    bool exists = false;
    bool regular = false;   // a plain file (not a folder or a device)
    bool writable = false;  // not marked read-only, and it opens for writing
    // POSIX: the owner and mode the new file takes over.
    std::uint32_t mode = 0;
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
};

// Looks at `file`. False when it cannot be looked at (a missing file is no
// failure: facts.exists is false).
bool ExamineFile(const std::filesystem::path& file, FileFacts& facts);

// Writes `bytes` to a new temporary file named by `tempName` (tried again
// with the next name while one exists) in target's folder, flushed to the
// disk, and puts it in target's place in one step, so that a crash or a full
// disk never leaves half a file behind. `previous` (may be null) is the file
// replaced. False when it could not be done; target is then unchanged and
// the temporary file is gone.
bool ReplaceFileWith(const std::filesystem::path& target, std::string_view bytes, const FileFacts* previous,
                     const std::function<std::filesystem::path()>& tempName);

// This process's id, as it appears in the names of its temporary files.
long CurrentProcessId();

// False only when no process of that id runs on this computer; a process of
// another user counts as running.
bool ProcessMayRun(long pid);

}  // namespace pelko::config
