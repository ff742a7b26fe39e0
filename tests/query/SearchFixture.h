// The search and the grid logic over fakes: a search panel in memory, the
// fake grid, shell and toolkit, a real Settings.ini and real logs in a
// temporary program folder.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "base/ActionGate.h"
#include "config/Settings.h"
#include "log/ErrorReport.h"
#include "log/Logger.h"
#include "query/ResultGrid.h"
#include "query/StudySearch.h"
#include "support/FakeResultGrid.h"
#include "support/FakeSearchPanel.h"
#include "support/FakeShell.h"
#include "support/FakeToolkit.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

namespace pelko::test {

using namespace std::chrono;

inline constexpr const char* kSettingsIni =
    "[Local]\r\nAET=PELKO_WS\r\n"
    "[Query]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort=11112\r\n"
    "[General]\r\nForward=0\r\nRegistered=0\r\n";

inline LocalDateTime At(int y, unsigned m, unsigned d, int hour = 10, int minute = 0, int second = 0) {
    return {year{y} / month{m} / day{d}, hour, minute, second};
}

// One study as the archive returns it.
inline dicom::Dataset Study(const std::string& uid, const std::string& date, const std::string& patientID,
                            const std::string& name, const std::string& modality = "CT") {
    dicom::Dataset d;
    d.setStudyInstanceUID(uid);
    d.Attributes().Add(dicom::tags::StudyDate, date);
    d.Attributes().Add(dicom::tags::StudyTime, "101500");
    if (!modality.empty()) d.Attributes().Add(dicom::tags::Modality, modality);
    d.setPatientID(patientID);
    d.setPatientName(name);
    d.setPatientSex("F");
    d.setPatientBirthDate("19700101");
    d.setStudyDescription("Thorax");
    d.setAccessionNumber("ACC" + uid);
    return d;
}

inline dicom::DatasetList Studies(int count) {
    dicom::DatasetList list;
    for (int i = 1; i <= count; ++i) {
        list.push_back(Study("1.2." + std::to_string(i), "2024030" + std::to_string(i % 10),
                             "P" + std::to_string(i), "Doe^Jane"));
    }
    return list;
}

class SearchFixture : public ::testing::Test {
protected:
    SearchFixture() {
        WriteBytes(dir / "Settings.ini", kSettingsIni);
        panel.values.lastName = "Smith";
    }

    // The identifier of the last query.
    const dicom::AttributeList& sent() const { return kit.finds.back().identifier.Attributes(); }

    std::vector<std::string> errorLogLines() const {
        std::vector<std::string> lines;
        std::istringstream in(ReadBytes(logger.errorLog()));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    void typeNames(const std::string& last, const std::string& first) {
        panel.values.lastName = last;
        panel.values.firstName = first;
    }

    TempDir dir;
    FixedClock clock{At(2024, 3, 5)};
    Logger logger{dir.path(), clock};
    FakeShell shell;
    ErrorReporter errors{logger, shell};
    config::AppSettings record;
    config::Settings settings{dir.path(), record, errors};
    FakeToolkit kit;
    FakeSearchPanel panel;
    FakeResultGrid grid;
    ActionGate gate;
    query::StudySearch search{panel, grid, shell, settings, kit, errors, clock, gate};
};

// The grid logic beside the search, sharing its gate.
class FakeSelectMenu : public query::SelectMenuView {
public:
    void popUpSelectMenu(int x, int y) override { popups.push_back({x, y}); }
    std::vector<std::pair<int, int>> popups;
};

class GridFixture : public SearchFixture {
protected:
    GridFixture() { gridLogic.ConfigureColumns(); }

    // Rows of studies as a search leaves them.
    void fill(int count) {
        kit.findResult = Studies(count);
        search.Search();
    }

    FakeSelectMenu menu;
    query::ResultGrid gridLogic{grid, menu, shell, errors, gate};
};

}  // namespace pelko::test
