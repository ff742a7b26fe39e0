// Logs hold patient data: private whatever the umask; nothing forged in them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "log/DicomFileLog.h"
#include "log/LogText.h"
#include "log/Logger.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

namespace pelko {
namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const fs::path& p) {
    struct stat info {};
    return ::stat(p.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

struct ModeCase {
    mode_t umask;
    mode_t before;   // of Dicom.log when it is rotated; 0: as it was made
    mode_t rotated;  // of the new Dicom.log
};

class LogModeTest : public testing::TestWithParam<ModeCase> {};

TEST_P(LogModeTest, NewLogsArePrivateAndRotationKeepsTheMode) {
    const ModeCase& c = GetParam();
    test::TempDir dir;
    FixedClock clock({std::chrono::year{2026} / 1 / 2, 3, 4, 5});
    const mode_t old = ::umask(c.umask);
    Logger logger(dir.path(), clock);
    logger.LogError(1, "x", "Send");
    DicomFileLog dicom(logger.folder(), clock, 64);
    dicom.Write("first");
    if (c.before != 0) ::chmod(dicom.file().c_str(), c.before);
    dicom.Write(std::string(80, 'x'));  // past the cap: rotated
    ::umask(old);
    EXPECT_EQ(ModeOf(logger.folder()), 0700u);
    EXPECT_EQ(ModeOf(logger.errorLog()), 0600u);
    EXPECT_EQ(ModeOf(logger.debugLog()), 0600u);
    EXPECT_EQ(ModeOf(dicom.file()), c.rotated);
}

INSTANTIATE_TEST_SUITE_P(, LogModeTest,
                         testing::Values(ModeCase{022, 0, 0600}, ModeCase{0277, 0, 0600},
                                         ModeCase{022, 0640, 0640}));

class LogSafeTest : public testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(LogSafeTest, EscapesControlsAndCuts) {
    EXPECT_EQ(LogSafe(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(, LogSafeTest,
                         testing::Values(std::pair{"a\tb\x01\x7F\\\r\n", "a\\tb\\x01\\x7F\\\\r\\n"},
                                         std::pair{"M\xC3\xBCller\xC2\x85\xFF", "M\xC3\xBCller\\x85\\xFF"},
                                         std::pair{
                                             std::string(1030, 'A'),
                                             std::string(1024, 'A') + "... [cut: 1024 of 1030 characters]"}));

}  // namespace
}  // namespace pelko
