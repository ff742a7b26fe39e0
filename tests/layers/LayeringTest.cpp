// The layers of src/ point one way: base (base/, log/) <- config, dicom <-
// query <- send <- the widgets in each subsystem's qt/ folder <- app/ <-
// main.cpp. Only the adapter in dicom/dcmtk sees DCMTK, and only main.cpp
// picks the adapter. This test reads every #include of src/ and names each
// one that breaks these rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace pelko::test {
namespace {

namespace fs = std::filesystem;

struct Room {
    std::string name;
    int rank = 0;
};

// The room of a file of src/, from its path relative to src/.
std::optional<Room> RoomOf(const std::string& path) {
    const auto slash = path.find('/');
    if (slash == std::string::npos) {
        if (path == "main.cpp") return Room{"main", 90};
        return std::nullopt;
    }
    const std::string top = path.substr(0, slash);
    const std::string rest = path.substr(slash + 1);
    const bool qt = rest.rfind("qt/", 0) == 0;
    if (top == "base" || top == "log") return Room{"base", 0};
    if (top == "config") return qt ? Room{"config/qt", 50} : Room{"config", 10};
    if (top == "dicom") return rest.rfind("dcmtk/", 0) == 0 ? Room{"dicom/dcmtk", 20} : Room{"dicom", 10};
    if (top == "query") return qt ? Room{"query/qt", 50} : Room{"query", 30};
    if (top == "send") return qt ? Room{"send/qt", 50} : Room{"send", 40};
    if (top == "app") return qt ? Room{"app/qt", 70} : Room{"app", 60};
    return std::nullopt;
}

// "file: includes what (why)" for every include that breaks the layering.
std::vector<std::string> LayeringViolations(const fs::path& src) {
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        const std::string file = fs::relative(entry.path(), src).generic_string();
        const auto from = RoomOf(file);
        std::ifstream in(entry.path());
        std::string line;
        while (std::getline(in, line)) {
            std::smatch m;
            if (!std::regex_search(line, m, include)) continue;
            const std::string target = m[2];
            auto report = [&](const std::string& why) {
                found.push_back(file + ": " + target + " (" + why + ")");
            };
            if (!from) {
                report("file outside every room");
                continue;
            }
            if (target.rfind("dcmtk/", 0) == 0) {
                if (from->name != "dicom/dcmtk") report("DCMTK outside the adapter");
                continue;
            }
            if (m[1] == "<") continue;
            const auto to = RoomOf(target);
            if (!to) continue;  // a header beside the file, not a room of src/
            if (to->name == from->name) continue;
            if (to->name == "dicom/dcmtk" && from->name != "main") {
                report("only main.cpp picks the adapter");
            } else if (to->rank >= from->rank) {
                report(from->name + " may not include " + to->name);
            }
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

TEST(Layering, NoIncludeOfSrcRunsUpward) {
    const auto violations = LayeringViolations(PELKO_SOURCE_DIR);
    for (const auto& v : violations) ADD_FAILURE() << v;
    EXPECT_TRUE(violations.empty());
}

// The checker itself: each of these includes is refused, each of the
// others accepted.
TEST(Layering, TheCheckFindsUpwardIncludes) {
    struct Case {
        const char* file;
        const char* include;
        bool refused;
    };
    const Case cases[] = {
        {"query/StudySearch.cpp", "\"app/qt/MainWindow.h\"", true},
        {"query/StudySearch.cpp", "\"send/Sender.h\"", true},
        {"config/Settings.cpp", "\"dicom/Toolkit.h\"", true},
        {"dicom/Toolkit.h", "\"config/AppSettings.h\"", true},
        {"log/Logger.cpp", "\"config/IniFile.h\"", true},
        {"query/qt/SearchPanel.cpp", "\"send/qt/NodeButtons.h\"", true},
        {"send/Sender.cpp", "\"dicom/dcmtk/DcmtkToolkit.h\"", true},
        {"query/StudySearch.cpp", "<dcmtk/dcmnet/scu.h>", true},
        {"send/Sender.cpp", "\"query/ResultGridView.h\"", false},
        {"query/qt/SearchPanel.cpp", "\"query/StudySearch.h\"", false},
        {"app/qt/MainWindow.cpp", "\"send/qt/NodeButtons.h\"", false},
        {"dicom/dcmtk/DcmtkScu.cpp", "\"dcmtk/dcmnet/scu.h\"", false},
        {"main.cpp", "\"dicom/dcmtk/DcmtkToolkit.h\"", false},
        {"config/Settings.cpp", "\"base/Shell.h\"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " includes " + c.include);
        TempDir dir;
        const fs::path file = dir.path() / c.file;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "#pragma once\n#include " << c.include << "\n";
        EXPECT_EQ(LayeringViolations(dir.path()).size(), c.refused ? 1u : 0u);
    }
}

}  // namespace
}  // namespace pelko::test
