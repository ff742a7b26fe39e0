#include <gtest/gtest.h>

#include "app/DicomLogSetup.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

namespace pelko {
namespace {

using namespace std::chrono;

// On for "1" only; with it off there is no sink and no Dicom.log.
TEST(DicomLogSetup, OnlyDicomEquals1SwitchesTheLogOn) {
    const FixedClock clock{{year_month_day{year{2026}, month{12}, day{7}}, 9, 0, 0}};
    const struct {
        const char* ini;  // nullptr: no Settings.ini
        bool on;
    } cases[] = {
        {"[Log]\r\nDicom=1\r\n", true},
        {"[Query]\r\nAET=X\r\n[log]\r\ndicom = 1 \r\n", true},
        {nullptr, false},
        {"[Query]\r\nAET=X\r\n", false},
        {"[Log]\r\nDicom=0\r\n", false},
        {"[Log]\r\nDicom=true\r\n", false},
        {"[Log]\r\nDicom=2\r\n", false},
        {"[Log]\r\nDicom=\r\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini ? c.ini : "no Settings.ini");
        test::TempDir dir;
        if (c.ini) test::WriteBytes(dir / "Settings.ini", c.ini);
        const auto log = OpenDicomLog(dir.path(), dir / "Logs", clock);
        ASSERT_EQ(log != nullptr, c.on);
        if (log) log->Write("C-ECHO");
        EXPECT_EQ(std::filesystem::exists(dir / "Logs/Dicom.log"), c.on);
    }
}

}  // namespace
}  // namespace pelko
