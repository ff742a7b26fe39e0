// The "Send" button: the selected studies go to every marked node by C-MOVE
// (move mode), or one redirect request per study is stored in the archive
// by C-STORE (forward mode).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dicom/Toolkit.h"
#include "query/ResultGridView.h"
#include "send/NodeSlots.h"
#include "send/SendProgress.h"

namespace pelko {
class ActionGate;
class Shell;
class ErrorReporter;
namespace config {
class Settings;
}
namespace dicom {
class Toolkit;
}
}  // namespace pelko

namespace pelko::send {

struct ImageTally;

// Computed Radiography Image Storage: the SOP class under which the archive
// accepts a redirect request.
inline constexpr const char* kRedirectSopClass = "1.2.840.10008.5.1.4.1.1.1";
inline constexpr const char* kRedirectMarker = "REDIRECT";
inline constexpr const char* kRequestsCompleted =
    "Request(s) completed.\nThis process might take a few seconds.";
inline constexpr const char* kSendingFailed = "Sending failed.";

// The "Send" button as the send sees it: off from the start of every send,
// until the user picks a study again.
class SendSwitch {
public:
    virtual ~SendSwitch() = default;
    virtual void disableSend() = 0;
};

class Sender {
public:
    Sender(Shell& shell, SendSwitch& button, config::Settings& settings, ErrorReporter& errors,
           dicom::Toolkit& toolkit, const query::StudySelection& grid, const NodeSlots& nodes,
           ActionGate& gate);

    // The click on "Send". Holds the action gate for its whole run; returns
    // false, doing nothing, when another action is running.
    //
    // The selected studies and the selected destinations are taken once, at
    // the start: events that run during the send (a click in the grid, a
    // node button, a rebuilt node list) change what the next send does,
    // never the running one.
    bool Send();
    // "Send series": the series `seriesUids` of study `studyUid` go to every
    // marked node, one series-level C-MOVE per series, as Send moves studies:
    // the same gate, caption, progress, cancel, error reports and summary,
    // which counts series ("Sending was successful (2 / 2 series) to DEST.").
    // Forward mode has no request for a series: it only says so.
    bool SendSeries(const std::string& studyUid, const std::vector<std::string>& seriesUids);

    // The progress window of move mode, with its "Cancel"; none by default.
    void setProgress(SendProgress* progress) { progress_ = progress; }

private:
    using Destinations = std::array<std::optional<std::string>, kNodeSlots>;
    using Studies = std::vector<query::SelectedStudy>;

    Destinations SelectedDestinations() const;
    void SendForward(const Studies& studies);
    void SendMove(const Studies& studies, const Destinations& destinations);
    // Moves every study to one destination; its own failure is reported with
    // the destination and does not end the send. After a cancel it starts
    // no further move.
    void SendToNode(const std::string& destination, const Studies& studies, MoveMonitor& monitor,
                    bool lastDestination);
    // The cancel stopped the send at study `study` of this destination:
    // before its move began (Cancel::None), or in the middle of it.
    void ReportCancel(const std::string& destination, int study, int studies, const ImageTally& images,
                      dicom::MoveResult::Cancel how);

    Shell& shell_;
    SendSwitch& button_;
    config::Settings& settings_;
    ErrorReporter& errors_;
    dicom::Toolkit& toolkit_;
    const query::StudySelection& grid_;
    const NodeSlots& nodes_;
    ActionGate& gate_;
    std::string summary_;  // one paragraph per destination that move mode finished
    SendProgress* progress_ = nullptr;
    bool cancelUnconfirmed_ = false;  // the summary warns that the archive may still be sending
    // While SendSeries runs: the study whose series the moves carry.
    std::optional<std::string> seriesOf_;
    SendUnit unit_ = kStudyUnit;
};

}  // namespace pelko::send
