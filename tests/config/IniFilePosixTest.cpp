// What saving Settings.ini keeps on POSIX: the mode of the file it
// replaces, a link to it, and the clean-up of the temporary files of saves
// that were cut short (process ids, signals, other users).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "config/IniFile.h"
#include "log/Error.h"
#include "support/TempDir.h"

namespace pelko::config {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// Names of everything in a folder, to catch temporary files left behind.
std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}
TEST(IniWriteFile, ModeOfReplacedFileKept) {
    TempDir dir;
    const fs::path file = dir / "Settings.ini";
    WriteBytes(file, "[Query]\r\nPort=104\r\n");
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(file, mode);
    ASSERT_TRUE(WriteIni("Query", "Port", "105", file));
    EXPECT_EQ(fs::status(file).permissions(), mode);
}

TEST(IniWriteFile, LinkedFileReplacedLinkKept) {
    TempDir dir;
    const fs::path real = dir / "real.ini";
    const fs::path link = dir / "Settings.ini";
    WriteBytes(real, "[Query]\r\nPort=104\r\n");
    fs::create_symlink(real, link);
    ASSERT_TRUE(WriteIni("Query", "Port", "105", link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(real), "[Query]\r\nPort=105\r\n");
}

// ---------------------------------------------------------------- leftovers

// A process id that no process has any more.
pid_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

// Runs a save in a child process that the file size limit kills in the
// middle of writing, as a crash would; returns the child's (now unused)
// process id.
pid_t SaveKilledMidway(const fs::path& file) {
    const pid_t child = ::fork();
    if (child == 0) {
        rlimit limit{4, 4};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const bool written = WriteIni("Query", "Host", std::string(100, 'x'), file);
        ::_exit(written ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "the save was not cut short";
    return child;
}

TEST(IniLeftovers, OnlyTempFilesOfEndedSavesAreRemoved) {
    TempDir dir;
    const fs::path file = dir / "Settings.ini";
    WriteBytes(file, "[Query]\r\nPort=104\r\n");
    const pid_t crashed = SaveKilledMidway(file);
    std::vector<std::string> left;
    for (const auto& name : FolderEntries(dir.path()))
        if (name != "Settings.ini") left.push_back(name);
    ASSERT_EQ(left.size(), 1u) << "the killed save left no temporary file";
    const std::string crashedTemp = left[0];

    const std::string dead = std::to_string(crashed);
    const std::string alive = std::to_string(::getpid());
    using std::chrono::seconds;
    struct Entry {
        std::string name;
        seconds age;
        bool removed;
    };
    const std::vector<Entry> entries = {
        {crashedTemp, seconds(300), true},
        {"Settings.ini." + dead + "-0000beef.tmp", seconds(0), false},     // may be another computer's save
        {"Settings.ini." + dead + "-0000f00d.tmp", seconds(30), false},    // as well
        {"Settings.ini." + alive + "-0000cafe.tmp", seconds(300), false},  // its writer still runs
        {"Other.ini." + dead + "-0000beef.tmp", seconds(300), false},
        {"Settings.ini.backup.tmp", seconds(300), false},
    };
    const auto now = fs::file_time_type::clock::now();
    for (const auto& e : entries) {
        if (e.name != crashedTemp) WriteBytes(dir / e.name, "[Query]");
        fs::last_write_time(dir / e.name, now - e.age);
    }

    RemoveLeftoverTempFiles(file);

    for (const auto& e : entries) EXPECT_EQ(!fs::exists(dir / e.name), e.removed) << e.name;
    EXPECT_EQ(ReadBytes(file), "[Query]\r\nPort=104\r\n");
}

// Run by another user, whose signals cannot reach this test's process: a
// save of this still running process is kept, an ended one removed.
TEST(IniLeftovers, AnotherUsersRunningSaveIsKept) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
    TempDir dir;
    fs::permissions(dir.path(), fs::perms::all);
    const fs::path file = dir / "Settings.ini";
    const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    const fs::path running = dir / ("Settings.ini." + std::to_string(::getpid()) + "-0000cafe.tmp");
    const fs::path ended = dir / ("Settings.ini." + std::to_string(EndedProcess()) + "-0000beef.tmp");
    for (const auto& f : {running, ended}) {
        WriteBytes(f, "[Query]");
        fs::last_write_time(f, old);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        RemoveLeftoverTempFiles(file);
        ::_exit(0);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "no user nobody";
    EXPECT_TRUE(fs::exists(running));
    EXPECT_FALSE(fs::exists(ended)) << "the other user could not clean up at all";
}

}  // namespace
TEST(IniReadFile, RefusesWhatCannotBeSettings) {
    const std::function<void(const fs::path&)> makers[] = {
        [](const fs::path& f) { fs::create_symlink("/dev/zero", f); },
        [](const fs::path& f) { ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0); },
        [](const fs::path& f) {
            WriteBytes(f, "[Query]\r\nAET=A\r\n" + std::string(kMaxSettingsFileBytes, ' '));
        }};
    for (const auto& make : makers) {
        TempDir dir;
        make(dir / "Settings.ini");
        try {
            ReadIni("Query", "AET", "", dir / "Settings.ini");
            ADD_FAILURE() << "read";
        } catch (const Error& e) {
            EXPECT_EQ(e.number(), kErrSettingsRefused);
            EXPECT_EQ(std::string(e.what()).rfind("Settings.ini cannot be read: it is ", 0), 0u) << e.what();
        }
        EXPECT_FALSE(WriteIni("Query", "AET", "X", dir / "Settings.ini"));
    }
}

}  // namespace pelko::config
