#include <gtest/gtest.h>

#include "log/ErrorReport.h"
#include "log/Logger.h"
#include "log/Timestamp.h"
#include "support/FakeShell.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

namespace pelko {
namespace {

using namespace std::chrono;
using test::ReadBytes;

LocalDateTime At(int y, unsigned mo, unsigned d, int h, int mi, int s) {
    return {year_month_day{year{y}, month{mo}, day{d}}, h, mi, s};
}

struct TimestampCase {
    const char* locale;
    LocalDateTime time;
    const char* expected;
};

class TimestampTest : public ::testing::TestWithParam<TimestampCase> {};

TEST_P(TimestampTest, ShortDateAndLongTimeWithoutZone) {
    EXPECT_EQ(FormatGeneralDate(GetParam().time, GetParam().locale), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, TimestampTest,
    ::testing::Values(TimestampCase{"de_DE", At(2026, 12, 7, 10, 12, 12), "07.12.2026 10:12:12"},
                      TimestampCase{"de_DE", At(2026, 12, 7, 0, 0, 0), "07.12.2026"},
                      TimestampCase{"de_DE", At(2026, 12, 7, 0, 0, 1), "07.12.2026 00:00:01"},
                      TimestampCase{"en_US", At(2026, 1, 5, 15, 4, 5), "1/5/2026 3:04:05 PM"},
                      TimestampCase{"en_US", At(2026, 1, 5, 0, 0, 0), "1/5/2026"}));

class LoggerTest : public ::testing::Test {
protected:
    test::TempDir dir;
    FixedClock clock{At(2026, 12, 7, 10, 12, 12)};
    Logger logger{dir.path(), clock, "de_DE"};
};

TEST_F(LoggerTest, ErrorGoesToBothLogsInTheirFormats) {
    logger.LogError(0, "Settings.ini is not available", "CheckInI");
    EXPECT_EQ(ReadBytes(dir / "Logs/Error.log"),
              "07.12.2026 10:12:12 - 0 - Settings.ini is not available - CheckInI\r\n");
    EXPECT_EQ(ReadBytes(dir / "Logs/Debug.log"),
              "07.12.2026 10:12:12 - ERROR: Settings.ini is not available\r\n");
}

TEST_F(LoggerTest, AppendsAndNeverRewritesEarlierLines) {
    logger.LogError(-2147467259, "first", "Send");
    clock.set(At(2026, 12, 8, 0, 0, 0));
    logger.LogError(42752, "", "cmdSearch_Click");
    EXPECT_EQ(ReadBytes(dir / "Logs/Error.log"),
              "07.12.2026 10:12:12 - -2147467259 - first - Send\r\n"
              "08.12.2026 - 42752 -  - cmdSearch_Click\r\n");
    EXPECT_EQ(ReadBytes(dir / "Logs/Debug.log"),
              "07.12.2026 10:12:12 - ERROR: first\r\n"
              "08.12.2026 - ERROR: \r\n");
}

TEST_F(LoggerTest, WritesLatin1AndKeepsLineBreaksOfTheDescription) {
    logger.LogDebug("M\xC3\xBCller\nzweite Zeile");
    EXPECT_EQ(ReadBytes(dir / "Logs/Debug.log"), "07.12.2026 10:12:12 - M\xFCller\nzweite Zeile\r\n");
}

TEST(LoggerFailureTest, UnwritableLogFolderIsSilent) {
    test::TempDir dir;
    test::WriteBytes(dir / "Logs", "a file where the folder should be");
    FixedClock clock{At(2026, 12, 7, 10, 12, 12)};
    Logger logger{dir.path(), clock, "de_DE"};
    test::FakeShell boxes;
    ErrorReporter errors(logger, boxes);
    errors.report(Report::LogThenSeeLog, 5, "broken", "Form_Load");
    // The box still shows although nothing could be logged.
    EXPECT_EQ(boxes.messages, std::vector<std::string>{
                                  "error: There was an error.\nRead the log file for more information."});
}

TEST(ErrorReporterTest, OrderAndTextsOfTheConventions) {
    test::TempDir dir;
    FixedClock clock{At(2026, 12, 7, 10, 12, 12)};
    Logger logger{dir.path(), clock, "de_DE"};

    // Records whether Error.log already held the line when the box showed.
    struct Boxes : MessageBoxes {
        std::filesystem::path log;
        std::vector<std::string> seen;
        void showError(const std::string& text) override {
            seen.push_back(text + (test::ReadBytes(log).empty() ? " [before log]" : " [after log]"));
        }
        void showErrorWithDetails(const std::string& text, const std::string&) override { showError(text); }
        void showInfo(const std::string&) override {}
    } boxes;
    boxes.log = dir / "Logs/Error.log";
    ErrorReporter errors(logger, boxes);

    errors.report(Report::DetailsThenLog, 13, "Type mismatch", "ConfigButton");
    errors.report(Report::LogThenDetails, 49152, "C-MOVE failed", "Send", " (DEST1)");
    EXPECT_EQ(boxes.seen, (std::vector<std::string>{"13 - Type mismatch [before log]",
                                                    "49152 - C-MOVE failed (DEST1) [after log]"}));
}

}  // namespace
}  // namespace pelko
