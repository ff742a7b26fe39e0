#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <fstream>

#include "app/DataFolder.h"
#include "app/Desktop.h"
#include "app/GraphicalSession.h"
#include "base/Text.h"
#include "support/TempDir.h"

namespace pelko {
namespace {

namespace fs = std::filesystem;

QString Q(const fs::path& p) {
    return QString::fromStdU16String(p.u16string());
}

// The marker beside the program decides; an installed Pelko's user folder is
// seeded once from the administrator's Settings.ini, byte for byte, and a
// user's own Settings.ini is never replaced.
TEST(DataFolderTest, MarkerDecidesAndTheSeedFillsOnlyAnEmptyUserFolder) {
    const std::string admin = "; site settings\r\n[Query]\r\nAET=M\xfcller\r\nPort=104\r\n";
    const std::string own = "[Query]\r\nPort=11112\r\n";
    struct Case {
        const char* what;
        bool installed;
        bool seed;
        const char* userSettings;  // the user's own Settings.ini before the start, or none
        bool home;                 // a per-user folder to be had
        bool userFolderChosen;
        std::string settingsAfter;  // the user's Settings.ini afterwards ("": none)
    };
    const Case cases[] = {
        {"portable, seed present", false, true, nullptr, true, false, ""},
        {"installed, first start", true, true, nullptr, true, true, admin},
        {"installed, user's own kept", true, true, own.c_str(), true, true, own},
        {"installed, no seed", true, false, nullptr, true, true, ""},
        {"installed, no home folder", true, true, nullptr, false, false, ""},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        const auto program = dir / "program";
        // A user's name beyond the system's ANSI code page.
        const auto user = dir.path() / "home" / Utf8Path("J\u00fcrgen \u0141ukasz") / ".config" / "Pelko";
        fs::create_directories(program);
        if (c.installed) test::WriteBytes(program / kInstalledMarker, "");
        if (c.seed) test::WriteBytes(dir / "Settings.ini", admin);
        if (c.userSettings) {
            fs::create_directories(user);
            test::WriteBytes(user / "Settings.ini", c.userSettings);
        }
        const QString chosen =
            ChooseDataFolder(Q(program), c.home ? Q(user) : QString(), Q(dir / "Settings.ini"));
        EXPECT_EQ(chosen, c.userFolderChosen ? Q(user) : Q(program)) << c.what;
        EXPECT_EQ(test::ReadBytes(user / "Settings.ini"), c.settingsAfter) << c.what;
        EXPECT_FALSE(fs::exists(program / "Settings.ini")) << c.what;
        if (!c.settingsAfter.empty()) {
            EXPECT_TRUE(std::ofstream(user / "Settings.ini", std::ios::app).good())
                << c.what << ": the copy must be writable";
        }
    }
}

TEST(GraphicalSessionTest, OnlyDisplayPlatformsNeedADisplayServer) {
    const std::pair<const char*, bool> cases[] = {
        {"", true},
        {"xcb", true},
        {"wayland", true},
        {"wayland-egl", true},
        {"wayland;xcb", true},
        {"offscreen", false},
        {"minimal", false},
        {"vnc:size=800x600", false},
        {"xcb;offscreen", false},
    };
    for (const auto& [platform, needs] : cases) EXPECT_EQ(NeedsDisplayServer(platform), needs) << platform;

    EXPECT_FALSE(HasDisplayServer(nullptr, nullptr));
    EXPECT_FALSE(HasDisplayServer("", ""));
    EXPECT_TRUE(HasDisplayServer(":0", nullptr));
    EXPECT_TRUE(HasDisplayServer(nullptr, "wayland-0"));
}

}  // namespace
}  // namespace pelko
