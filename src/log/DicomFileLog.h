// The DICOM network log as a file: Logs/Dicom.log beside Error.log, one
// timestamped line per Write. It holds patient data (names, IDs in the
// identifiers), so it is only written when Settings.ini switches it on.
//
// The file is capped: a line that would take it past the cap first renames
// it to Dicom.1.log (replacing an older one), and a new Dicom.log is begun.
// Lines are UTF-8 and end in CRLF. A file that cannot be written is skipped
// silently, as the other logs are.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "log/Clock.h"
#include "log/DicomLog.h"

namespace pelko {

inline constexpr std::uintmax_t kDicomLogCapBytes = 10 * 1024 * 1024;

class DicomFileLog : public DicomLog {
public:
    // `logFolder` is the Logs folder (Logger::folder()); it is created on
    // the first line.
    DicomFileLog(std::filesystem::path logFolder, const Clock& clock,
                 std::uintmax_t capBytes = kDicomLogCapBytes);

    void Write(std::string_view line) override;

    std::filesystem::path file() const { return folder_ / "Dicom.log"; }
    std::filesystem::path olderFile() const { return folder_ / "Dicom.1.log"; }

private:
    bool open();

    std::filesystem::path folder_;
    const Clock& clock_;
    std::uintmax_t cap_;
    std::mutex mutex_;
    std::ofstream out_;
    std::uintmax_t size_ = 0;
};

}  // namespace pelko
