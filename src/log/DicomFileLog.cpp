#include "log/DicomFileLog.h"

#include <cstdio>
#include <string>
#include <system_error>

#include "base/LocalFiles.h"

namespace pelko {
namespace {

// "2026-12-07 10:12:12.047 ": with milliseconds, so that the time an
// archive took between two lines can be read off.
std::string Stamp(const LocalDateTime& t) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u %02d:%02d:%02d.%03d ", static_cast<int>(t.date.year()),
                  static_cast<unsigned>(t.date.month()), static_cast<unsigned>(t.date.day()), t.hour,
                  t.minute, t.second, t.millisecond);
    return buf;
}

}  // namespace

DicomFileLog::DicomFileLog(std::filesystem::path logFolder, const Clock& clock, std::uintmax_t capBytes)
    : folder_(std::move(logFolder)), clock_(clock), cap_(capBytes) {}

bool DicomFileLog::open() {
    if (out_.is_open()) return true;
    std::error_code ec;
    if (!files::MakePrivateFolder(folder_)) return false;
    files::MakePrivateFile(file());
    out_.open(file(), std::ios::binary | std::ios::app);
    if (!out_) {
        out_.close();
        return false;
    }
    const auto size = std::filesystem::file_size(file(), ec);
    size_ = ec ? 0 : size;
    return true;
}

void DicomFileLog::Write(std::string_view line) {
    const std::string text = Stamp(clock_.now()) + std::string(line) + "\r\n";
    std::lock_guard lock(mutex_);
    if (!open()) return;
    if (size_ > 0 && size_ + text.size() > cap_) {
        out_.close();
        std::error_code ec;
        std::filesystem::rename(file(), olderFile(), ec);
        // The new file gets the access of the one it follows: an
        // administrator's mode or group stays with the log.
        if (!ec) files::MakeFileLike(file(), olderFile());
        if (!open()) return;
    }
    out_ << text;
    out_.flush();
    size_ += text.size();
}

}  // namespace pelko
