// The program's logic as the main window runs it: the real search, grid,
// node and send logic on the real DCMTK toolkit, reading a real Settings.ini
// and writing real logs in a temporary program folder. Only the widgets and
// the message boxes are fakes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/ActionGate.h"
#include "config/Settings.h"
#include "dicom/dcmtk/DcmtkToolkit.h"
#include "log/ErrorReport.h"
#include "log/Logger.h"
#include "query/ConnectionTest.h"
#include "query/StudySearch.h"
#include "send/NodeSlots.h"
#include "send/Sender.h"
#include "support/FakeNodeButtons.h"
#include "support/FakeResultGrid.h"
#include "support/FakeSearchPanel.h"
#include "support/FakeShell.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"
#include "support/TimeoutToolkit.h"

namespace pelko::test {

inline constexpr const char* kOurAet = "PELKO";

// Bounds short enough that a failing peer ends a test quickly, long enough
// for a loaded machine. A real archive's late answer to a C-CANCEL needs
// the program's own move cancel grace.
inline dicom::Timeouts E2eTimeouts(int findSeconds = 20, int moveCancelGraceSeconds = 1) {
    dicom::Timeouts t;
    t.connectSeconds = 5;
    t.associationSeconds = 10;
    t.findResponseSeconds = findSeconds;
    t.moveResponseSeconds = 30;
    t.moveCancelGraceSeconds = moveCancelGraceSeconds;
    return t;
}

// What Settings.ini says.
struct IniValues {
    std::string archiveAet;
    int archivePort = 0;
    bool forward = false;
    bool registered = false;
    std::vector<std::string> nodes;  // "alias|AE title" from Node0 on
    std::string queryExtra;          // more lines of [Query], e.g. the TLS keys
};

inline std::string SettingsText(const IniValues& v) {
    std::string text = "[Local]\r\nAET=" + std::string(kOurAet) + "\r\n";
    text += "[Query]\r\nAET=" + v.archiveAet + "\r\nIP=127.0.0.1\r\nPort=" + std::to_string(v.archivePort) +
            "\r\n" + v.queryExtra;
    text += "[General]\r\nForward=" + std::string(v.forward ? "1" : "0") +
            "\r\nRegistered=" + (v.registered ? "1" : "0") + "\r\n";
    text += "[Forward]\r\n";
    for (std::size_t i = 0; i < v.nodes.size(); ++i) {
        text += "Node" + std::to_string(i) + "=" + v.nodes[i] + "\r\n";
    }
    return text;
}

class Workstation {
public:
    explicit Workstation(const dicom::Timeouts& timeouts = E2eTimeouts())
        : toolkit_(std::make_unique<TimeoutToolkit>(dicom::MakeDcmtkToolkit(), timeouts)),
          search{panel, grid, shell, settings, *toolkit_, errors, clock, gate},
          sender{shell, sendButton, settings, errors, *toolkit_, grid, nodes, gate},
          connection{shell, settings, *toolkit_, errors, gate} {}

    // What the settings dialog's Save does: writes Settings.ini, takes the
    // two options into the record at once (the archive settings follow at
    // the next ReloadOrReportMissing) and builds the node buttons from the file.
    void configure(const IniValues& values) {
        WriteBytes(settings.path(), SettingsText(values));
        record.UseForward = values.forward;
        record.UseRegistered = values.registered;
        nodes.RebuildFromSettings();
    }

    // Types the last and the first name.
    void typeNames(const std::string& last, const std::string& first = "") {
        panel.values.lastName = last;
        panel.values.firstName = first;
    }

    // Study Instance UIDs of the grid rows, from row 1 down.
    std::vector<std::string> gridUids() const { return grid.uids(); }

    std::vector<std::string> errorLogLines() const { return Lines(logger.errorLog()); }
    std::vector<std::string> debugLogLines() const { return Lines(logger.debugLog()); }

    TempDir dir;
    FixedClock clock{LocalDateTime{std::chrono::year{2024} / 3 / 5, 10, 0, 0}};
    Logger logger{dir.path(), clock};
    FakeShell shell;
    ErrorReporter errors{logger, shell};
    config::AppSettings record;
    config::Settings settings{dir.path(), record, errors};

private:
    std::unique_ptr<dicom::Toolkit> toolkit_;

public:
    FakeSearchPanel panel;
    FakeResultGrid grid;
    ActionGate gate;
    query::StudySearch search;
    FakeNodeButtons buttons;
    send::NodeSlots nodes{buttons, shell, settings, errors};
    struct : send::SendSwitch {
        void disableSend() override {}
    } sendButton;
    send::Sender sender;
    query::ConnectionTest connection;

private:
    // The log's lines (CRLF-terminated) without their line ends.
    static std::vector<std::string> Lines(const std::filesystem::path& file) {
        const std::string text = ReadBytes(file);
        std::vector<std::string> lines;
        for (std::size_t at = 0; at < text.size();) {
            auto end = text.find("\r\n", at);
            if (end == std::string::npos) end = text.size();
            lines.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        return lines;
    }
};

// A log line "<timestamp> - <number> - <description> - <label>" split up.
struct LoggedError {
    std::string number;
    std::string description;
    std::string label;
};

inline LoggedError ParseErrorLine(const std::string& line) {
    LoggedError e;
    const auto first = line.find(" - ");
    const auto second = line.find(" - ", first + 3);
    const auto last = line.rfind(" - ");
    if (first == std::string::npos || second == std::string::npos || last <= second) return e;
    e.number = line.substr(first + 3, second - first - 3);
    e.description = line.substr(second + 3, last - second - 3);
    e.label = line.substr(last + 3);
    return e;
}

}  // namespace pelko::test
