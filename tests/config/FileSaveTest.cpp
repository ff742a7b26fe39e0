// The platform's part of saving Settings.ini: what it sees of a file, the
// one-step replace and who may still be writing. Each case runs in a plain
// folder and in one named beyond the ANSI code page.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/Text.h"
#include "config/FileSave.h"
#include "config/IniFile.h"
#include "support/TempDir.h"

namespace pelko::config {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::WriteBytes;

const char* const kFolders[] = {"plain", "J\u00fcrgen \u0141ukasz"};

TEST(FileSaveTest, ReplaceLeavesTheNewBytesOrTheOldFileAndNoTemporaryFile) {
    enum class Before { kNone, kFile, kFolder, kNoParent };
    struct Case {
        const char* what;
        Before before;
        bool nameTaken;  // the first temporary name is already used
        bool ok;
        std::string after;  // the target's bytes afterwards ("": none)
    };
    const Case cases[] = {
        {"new file", Before::kNone, false, true, "new\r\n"},
        {"replaced file", Before::kFile, false, true, "new\r\n"},
        {"first name taken", Before::kFile, true, true, "new\r\n"},
        {"a folder in its place", Before::kFolder, false, false, ""},
        {"no folder for it", Before::kNoParent, false, false, ""},
    };
    for (const char* folder : kFolders) {
        for (const auto& c : cases) {
            test::TempDir dir;
            const fs::path base = dir.path() / Utf8Path(folder);
            fs::create_directories(base);
            const fs::path target =
                c.before == Before::kNoParent ? base / "missing" / "Settings.ini" : base / "Settings.ini";
            if (c.before == Before::kFile) WriteBytes(target, "old\r\n");
            if (c.before == Before::kFolder) fs::create_directory(target);
            if (c.nameTaken) WriteBytes(base / "Settings.ini.1-00000000.tmp", "other");
            int n = 0;
            const auto names = [&] {
                return base / ("Settings.ini." + std::to_string(++n) + "-00000000.tmp");
            };
            FileFacts facts;
            ASSERT_TRUE(ExamineFile(target, facts)) << c.what;
            EXPECT_EQ(ReplaceFileWith(target, "new\r\n", facts.exists ? &facts : nullptr, names), c.ok)
                << c.what;
            if (c.before != Before::kFolder) {
                EXPECT_EQ(ReadBytes(target), c.after) << folder << ": " << c.what;
            }
            std::size_t entries = 0;
            for (const auto& e : fs::directory_iterator(base))
                entries += e.path().extension() == ".tmp" ? 1 : 0;
            EXPECT_EQ(entries, c.nameTaken ? 1u : 0u) << folder << ": " << c.what << ": temporary files";
            if (c.nameTaken) {
                EXPECT_EQ(ReadBytes(base / "Settings.ini.1-00000000.tmp"), "other");
            }
        }
    }
}

TEST(FileSaveTest, ExamineTellsMissingPlainReadOnlyAndFolder) {
    struct Case {
        const char* what;
        bool exists, regular, writable;
    };
    const Case cases[] = {
        {"missing", false, false, false},
        {"plain", true, true, true},
        {"read-only", true, true, false},
        {"folder", true, false, false},
    };
    for (const char* folder : kFolders) {
        test::TempDir dir;
        const fs::path base = dir.path() / Utf8Path(folder);
        fs::create_directories(base);
        WriteBytes(base / "plain", "x");
        WriteBytes(base / "read-only", "x");
        fs::permissions(base / "read-only",
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        fs::create_directory(base / "folder");
        for (const auto& c : cases) {
            FileFacts facts;
            ASSERT_TRUE(ExamineFile(base / c.what, facts)) << c.what;
            EXPECT_EQ(facts.exists, c.exists) << folder << ": " << c.what;
            EXPECT_EQ(facts.regular, c.regular) << folder << ": " << c.what;
            if (c.regular) {
                EXPECT_EQ(facts.writable, c.writable) << folder << ": " << c.what;
            }
        }
        fs::permissions(base / "read-only", fs::perms::owner_write, fs::perm_options::add);
    }
}

TEST(FileSaveTest, ThisProcessRunsAndNoProcessHasIdZero) {
    EXPECT_TRUE(ProcessMayRun(CurrentProcessId()));
    EXPECT_FALSE(ProcessMayRun(0));
    EXPECT_FALSE(ProcessMayRun(-1));
}

// Settings.ini in a folder beyond the ANSI code page: the same bytes as
// anywhere else (ISO-8859-1, CRLF).
TEST(FileSaveTest, SettingsInAUnicodeFolderHaveTheirBytes) {
    test::TempDir dir;
    const fs::path base = dir.path() / Utf8Path(kFolders[1]);
    fs::create_directories(base);
    const fs::path file = base / "Settings.ini";
    ASSERT_TRUE(WriteIni("Query", "AET", "M\u00dcLLER", file));
    EXPECT_EQ(ReadBytes(file), "[Query]\r\nAET=M\xdcLLER\r\n");
    EXPECT_EQ(ReadIni("Query", "AET", "", file), "M\u00dcLLER");
}

}  // namespace
}  // namespace pelko::config
