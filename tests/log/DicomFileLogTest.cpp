#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "log/DicomFileLog.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

namespace pelko {
namespace {

using namespace std::chrono;
using test::ReadBytes;

class DicomFileLogTest : public ::testing::Test {
protected:
    test::TempDir dir;
    FixedClock clock{{year_month_day{year{2026}, month{12}, day{7}}, 9, 5, 3, 47}};
};

TEST_F(DicomFileLogTest, OneTimestampedLinePerWrite) {
    DicomFileLog log(dir / "Logs", clock);
    log.Write("A-ASSOCIATE-RQ PELKO -> ORTHANC (127.0.0.1:4242)");
    log.Write("C-FIND status 0x0000");
    EXPECT_EQ(ReadBytes(dir / "Logs/Dicom.log"),
              "2026-12-07 09:05:03.047 A-ASSOCIATE-RQ PELKO -> ORTHANC (127.0.0.1:4242)\r\n"
              "2026-12-07 09:05:03.047 C-FIND status 0x0000\r\n");
}

// Each line is 24 + 8 + 2 = 34 bytes; the cap holds three of them.
TEST_F(DicomFileLogTest, AtTheCapTheFileBecomesDicom1AndANewOneBegins) {
    std::filesystem::create_directory(dir / "Logs");
    test::WriteBytes(dir / "Logs/Dicom.1.log", "an older rotation\r\n");
    test::WriteBytes(dir / "Logs/Dicom.log", std::string(34, 'x'));  // left by the last run
    {
        DicomFileLog log(dir / "Logs", clock, 102);
        for (const char* line : {"line 001", "line 002", "line 003", "line 004", "line 005"}) log.Write(line);
    }
    const std::string stamp = "2026-12-07 09:05:03.047 ";
    EXPECT_EQ(ReadBytes(dir / "Logs/Dicom.1.log"),
              std::string(34, 'x') + stamp + "line 001\r\n" + stamp + "line 002\r\n");
    EXPECT_EQ(ReadBytes(dir / "Logs/Dicom.log"),
              stamp + "line 003\r\n" + stamp + "line 004\r\n" + stamp + "line 005\r\n");
}

TEST_F(DicomFileLogTest, LinesFromSeveralThreadsStayWhole) {
    {
        DicomFileLog log(dir / "Logs", clock);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&log] {
                for (int i = 0; i < 50; ++i) log.Write("0123456789");
            });
        }
        for (auto& t : threads) t.join();
    }
    const std::string all = ReadBytes(dir / "Logs/Dicom.log");
    const std::string line = "2026-12-07 09:05:03.047 0123456789\r\n";
    ASSERT_EQ(all.size(), 200 * line.size());
    for (std::size_t at = 0; at < all.size(); at += line.size()) ASSERT_EQ(all.substr(at, line.size()), line);
}

}  // namespace
}  // namespace pelko
