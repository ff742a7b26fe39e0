// Files that hold patient data on a workstation that several users share:
// the logs are the owner's alone. The way a file is made private depends on
// the platform (LocalFilesPosix.cpp: modes 0700 and 0600, whatever the
// umask); an existing file or folder keeps what it has, so that an
// administrator's choice stands.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace pelko::files {

// Creates `folder` (one level), open to its owner only, when it is missing.
// False when it does not exist afterwards.
bool MakePrivateFolder(const std::filesystem::path& folder);
// Creates `file` empty, readable and writable by its owner only, when it is
// missing.
void MakePrivateFile(const std::filesystem::path& file);
// Creates `file` empty with the access (mode and group) of `model` when it
// is missing; privately when `model` is gone.
void MakeFileLike(const std::filesystem::path& file, const std::filesystem::path& model);
// Whether every user of the computer may read `file`.
bool ReadableByAll(const std::filesystem::path& file);

// Why `file` is not read as a settings file ("it is not a regular file",
// "it is larger than 1 MB"); nullopt when it may be read. A missing file
// is no concern here. A device or a FIFO would be read for ever.
std::optional<std::string> ReadRefusal(const std::filesystem::path& file, std::uintmax_t maxBytes);

}  // namespace pelko::files
