#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <unistd.h>

#include "app/DataFolder.h"
#include "app/GraphicalSession.h"
#include "support/TempDir.h"

namespace pelko {
namespace {

namespace fs = std::filesystem;

QString Q(const fs::path& p) { return QString::fromStdString(p.string()); }

TEST(DataFolderTest, PermissionBitsDecideForEveryoneIncludingRoot) {
    const UserIds root{0, {0}};
    const UserIds alice{1000, {1000, 27}};
    struct Case {
        const char* what;
        FolderAccess folder;
        UserIds user;
        bool writable;
    };
    const Case cases[] = {
        {"root's own build folder", {0, 0, 0755}, root, true},
        {"installed folder, no write bits", {0, 0, 0555}, root, false},
        {"another user's folder, root not in its group", {1000, 1000, 0755}, root, false},
        {"folder open to all", {1000, 1000, 0777}, root, true},
        {"installed folder seen by a user", {0, 0, 0755}, alice, false},
        {"the user's own folder", {1000, 1000, 0755}, alice, true},
        {"own folder made read-only", {1000, 1000, 0555}, alice, false},
        {"group-writable folder of a group of hers", {0, 27, 0775}, alice, true},
        {"group-writable folder of another group", {0, 50, 0775}, alice, false},
        {"owner bits win over other bits", {1000, 1000, 0557}, alice, false},
    };
    for (const auto& c : cases) EXPECT_EQ(BitsAllowWriting(c.folder, c.user), c.writable) << c.what;
}

TEST(DataFolderTest, WritableProgramFolderIsTheDataFolder) {
    test::TempDir program;
    const auto user = program / "user";
    EXPECT_EQ(ChooseDataFolder(Q(program.path()), Q(user)), Q(program.path()));
    EXPECT_FALSE(fs::exists(user));
}

// An installed program folder without write bits (root included, see above):
// each user gets a folder of their own, seeded once from the administrator's
// Settings.ini, byte for byte.
TEST(DataFolderTest, ReadOnlyProgramFolderSendsEachUserToTheirOwnSeededFolder) {
    test::TempDir dir;
    const auto program = dir / "program";
    const auto user = dir / "home" / ".config" / "Pelko";
    fs::create_directories(program);
    const std::string admin = "; site settings\r\n[Query]\r\nAET=M\xfcller\r\nPort=104\r\n";
    test::WriteBytes(program / "Settings.ini", admin);
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                 fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);

    EXPECT_EQ(ChooseDataFolder(Q(program), Q(user)), Q(user));
    EXPECT_EQ(test::ReadBytes(user / "Settings.ini"), admin);
    EXPECT_EQ(access((user / "Settings.ini").c_str(), W_OK), 0) << "the user's copy must be writable";

    // Later starts keep the user's own changes.
    test::WriteBytes(user / "Settings.ini", "[Query]\r\nPort=11112\r\n");
    EXPECT_EQ(ChooseDataFolder(Q(program), Q(user)), Q(user));
    EXPECT_EQ(test::ReadBytes(user / "Settings.ini"), "[Query]\r\nPort=11112\r\n");
    fs::permissions(program, fs::perms::owner_all);
}

TEST(DataFolderTest, ReadOnlyProgramFolderWithoutSettingsGivesAnEmptyUserFolder) {
    test::TempDir dir;
    const auto program = dir / "program";
    fs::create_directories(program);
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(ChooseDataFolder(Q(program), Q(dir / "user")), Q(dir / "user"));
    EXPECT_TRUE(fs::is_directory(dir / "user"));
    EXPECT_FALSE(fs::exists(dir / "user" / "Settings.ini"));
    // No home folder to be had: the program folder, as before.
    EXPECT_EQ(ChooseDataFolder(Q(program), QString()), Q(program));
    fs::permissions(program, fs::perms::owner_all);
}

TEST(GraphicalSessionTest, OnlyDisplayPlatformsNeedADisplayServer) {
    const std::pair<const char*, bool> cases[] = {
        {"", true},          {"xcb", true},           {"wayland", true},     {"wayland-egl", true},
        {"wayland;xcb", true}, {"offscreen", false},  {"minimal", false},    {"vnc:size=800x600", false},
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
