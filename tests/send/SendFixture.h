// What the node and send tests share: a program folder with Settings.ini,
// the logs, the settings record, a recording node-button view and a grid.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "log/ErrorReport.h"
#include "log/Logger.h"
#include "query/ResultGridView.h"
#include "send/NodeSlots.h"
#include "support/FakeNodeButtons.h"
#include "support/FakeShell.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

namespace pelko::test {

// The grid's selection as the send takes it: Study Instance UIDs.
struct FakeSelection : query::StudySelection {
    std::vector<std::string> selectedStudyUids() const override { return uids; }
    // Each named after its UID, of the fixed clock's day.
    std::vector<query::SelectedStudy> selectedStudies() const override {
        std::vector<query::SelectedStudy> studies;
        for (const std::string& uid : uids) studies.push_back({uid, "Patient " + uid, "09.03.2026"});
        return studies;
    }
    std::vector<std::string> uids;
};

// A shell that notes, for every error box, how much of Error.log was
// already written when the box came up.
class OrderShell : public FakeShell {
public:
    explicit OrderShell(std::filesystem::path errorLog) : errorLog_(std::move(errorLog)) {}
    void showError(const std::string& text) override {
        errorLogAtBox.push_back(ReadBytes(errorLog_));
        FakeShell::showError(text);
    }
    std::vector<std::string> errorLogAtBox;

private:
    std::filesystem::path errorLog_;
};

struct Program {
    TempDir dir;
    FixedClock clock{LocalDateTime{std::chrono::year{2026} / 3 / 9, 10, 12, 12}};
    Logger logger{dir.path(), clock};
    OrderShell shell{logger.errorLog()};
    ErrorReporter errors{logger, shell};
    config::AppSettings record;
    config::Settings settings{dir.path(), record, errors};

    std::filesystem::path ini() const { return settings.path(); }
    void writeIni(const std::string& text) const { WriteBytes(ini(), text); }
    std::string read(const char* section, const std::string& key) const {
        return config::ReadIni(section, key, "<missing>", ini(), config::kIniSize);
    }
    std::string errorLog() const { return ReadBytes(logger.errorLog()); }
};

// "[Forward]" with Node0 ... Node(count-1) = "Alias<i>|AE<i>".
inline std::string ForwardSection(int count) {
    std::string s = "[Forward]\r\n";
    for (int i = 0; i < count; ++i) {
        s += "Node" + std::to_string(i) + "=Alias" + std::to_string(i) + "|AE" + std::to_string(i) + "\r\n";
    }
    return s;
}

// "[Active]" with the given values for keys 0, 1, ...
inline std::string ActiveSection(const std::vector<std::string>& values) {
    std::string s = "[Active]\r\n";
    for (std::size_t i = 0; i < values.size(); ++i) s += std::to_string(i) + "=" + values[i] + "\r\n";
    return s;
}

// The Error.log entries without their time stamps.
inline std::vector<std::string> LoggedEntries(const std::string& log) {
    // "<timestamp> - <number> - <description> - <label>\r\n": drop the stamp.
    std::vector<std::string> r;
    std::size_t at = 0;
    // A line without its CRLF or its " - " fails the test at once.
    while (at < log.size()) {
        const auto end = log.find("\r\n", at);
        if (end == std::string::npos) {
            ADD_FAILURE() << "log line without CRLF: " << log.substr(at);
            break;
        }
        const std::string line = log.substr(at, end - at);
        const auto dash = line.find(" - ");
        if (dash == std::string::npos) {
            ADD_FAILURE() << "log line without \" - \": " << line;
            break;
        }
        r.push_back(line.substr(dash + 3));
        at = end + 2;
    }
    return r;
}

}  // namespace pelko::test
