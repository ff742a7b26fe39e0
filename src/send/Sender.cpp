#include "send/Sender.h"

#include <utility>

#include "base/ActionGate.h"
#include "base/Shell.h"
#include "config/Settings.h"
#include "dicom/Toolkit.h"
#include "log/Error.h"
#include "log/ErrorReport.h"
#include "query/ArchivePeer.h"
#include "query/ResultGridView.h"
#include "send/SendProgress.h"
#include "send/SendSummary.h"
#include "send/SeriesSend.h"

namespace pelko::send {
namespace {

// A C-MOVE or redirect request with an empty Study Instance UID is not a
// valid unique key (PS3.4 C.4.2.2.1); never let one reach the archive.
// `n` counts the selected studies from 1.
const std::string& RequireUid(const std::string& uid, std::size_t n) {
    if (uid.empty()) {
        throw Error(dicom::kErrInvalidArgument,
                    "Selected study " + std::to_string(n) + " has no Study Instance UID");
    }
    return uid;
}

// The DIMSE status of a cancelled operation (PS3.7 C.4.2.1.2): the number
// under which a confirmed cancel is logged.
constexpr std::int32_t kCancelStatus = 0xFE00;

// The progress window from the start of a move-mode send to its end, also
// when the send ends by a failure.
class ProgressShown {
public:
    ProgressShown(SendProgress* view, MoveMonitor& monitor) : view_(view) {
        if (view_) view_->Started(monitor);
    }
    ~ProgressShown() { end(); }
    ProgressShown(const ProgressShown&) = delete;
    ProgressShown& operator=(const ProgressShown&) = delete;
    void end() {
        if (view_) std::exchange(view_, nullptr)->Finished();
    }

private:
    SendProgress* view_;
};

}  // namespace

Sender::Sender(Shell& shell, SendSwitch& button, config::Settings& settings, ErrorReporter& errors,
               dicom::Toolkit& toolkit, const query::StudySelection& grid, const NodeSlots& nodes,
               ActionGate& gate)
    : shell_(shell),
      button_(button),
      settings_(settings),
      errors_(errors),
      toolkit_(toolkit),
      grid_(grid),
      nodes_(nodes),
      gate_(gate) {}

bool Sender::Send() {
    auto pass = gate_.tryEnter();
    if (!pass) return false;

    button_.disableSend();
    const bool done = errors_.Run("Send", Report::LogThenDetails, [&] {
        const Studies studies = grid_.selectedStudies();
        if (settings_.record().UseForward) {
            SendForward(studies);
        } else {
            SendMove(studies, SelectedDestinations());
        }
    });
    if (!done) shell_.setCaption(kAppTitle);
    return true;
}

bool Sender::SendSeries(const std::string& studyUid, const std::vector<std::string>& seriesUids) {
    auto pass = gate_.tryEnter();
    if (!pass) return false;

    button_.disableSend();
    seriesOf_ = studyUid;
    unit_ = kSeriesUnit;
    const bool done = errors_.Run("Send", Report::LogThenDetails, [&] {
        if (settings_.record().UseForward) {
            // Changed in the file since the window opened.
            shell_.showInfo(kSeriesForwardNote);
        } else {
            Studies series;
            for (const std::string& uid : seriesUids) series.push_back({uid, {}, {}});
            SendMove(series, SelectedDestinations());
        }
    });
    seriesOf_.reset();
    unit_ = kStudyUnit;
    if (!done) shell_.setCaption(kAppTitle);
    return true;
}

Sender::Destinations Sender::SelectedDestinations() const {
    Destinations destinations;
    for (int i = 0; i < kNodeSlots; ++i) {
        const NodeSlot& s = nodes_.slot(i);
        if (s.shown && s.marked) destinations[static_cast<std::size_t>(i)] = s.aeTitle;
    }
    return destinations;
}

void Sender::SendForward(const Studies& studies) {
    if (!settings_.ReloadOrReportMissing()) return;
    const auto& record = settings_.record();
    // Released by its destructor when a step fails.
    auto association = toolkit_.newStoreAssociation(query::ArchivePeer(record));
    association->Open(kRedirectSopClass);
    auto uids = toolkit_.newUidGenerator();
    for (std::size_t n = 1; n <= studies.size(); ++n) {
        dicom::Dataset request;
        request.Attributes().Add(dicom::tags::RedirectMarker, kRedirectMarker);
        request.Attributes().Add(dicom::tags::RedirectStudyUID, RequireUid(studies[n - 1].uid, n));
        association->Store(uids->NewUID(), request);
    }
    association->Close();
    shell_.setCaption(kAppTitle);
    shell_.showInfo(kRequestsCompleted);
}

void Sender::SendMove(const Studies& studies, const Destinations& destinations) {
    summary_.clear();
    cancelUnconfirmed_ = false;
    MoveMonitor monitor(progress_);
    monitor.setUnit(unit_);
    // A close request cancels the send as "Cancel" does.
    gate_.setCancel([&monitor] { monitor.RequestCancel(); });
    std::size_t last = destinations.size();
    for (std::size_t i = 0; i < destinations.size(); ++i) {
        if (destinations[i]) last = i;
    }
    monitor.setMovesAhead(last < destinations.size() && !studies.empty());
    ProgressShown shown(progress_, monitor);
    for (std::size_t i = 0; i < destinations.size(); ++i) {
        shell_.processEvents();
        if (!destinations[i]) continue;
        if (monitor.cancelled()) {
            summary_ += NotSentParagraph(*destinations[i], static_cast<int>(studies.size()), unit_);
        } else {
            SendToNode(*destinations[i], studies, monitor, i == last);
        }
    }
    shown.end();
    shell_.setCaption(kAppTitle);
    // Closing: the log holds what was cancelled; no message holds the close up.
    if (summary_.empty() || gate_.closePending()) return;
    if (cancelUnconfirmed_) {
        shell_.showError(summary_);
    } else {
        shell_.showInfo(summary_);
    }
}

void Sender::SendToNode(const std::string& destination, const Studies& studies, MoveMonitor& monitor,
                        bool lastDestination) {
    errors_.Run(
        "Send", Report::LogThenDetails,
        [&] {
            button_.disableSend();
            if (!settings_.ReloadOrReportMissing()) {
                shell_.showError(kSendingFailed);
                return;
            }
            auto association = toolkit_.newQueryAssociation(query::ArchivePeer(settings_.record()));

            const std::string count = std::to_string(studies.size());
            int moved = 0;
            int empty = 0;  // studies of which the archive sent nothing
            ImageTally images;
            for (std::size_t k = 1; k <= studies.size(); ++k) {
                // A series without UID is never listed for sending; the
                // adapter refuses an empty one all the same.
                const std::string& uid = seriesOf_ ? studies[k - 1].uid : RequireUid(studies[k - 1].uid, k);
                shell_.setCaption(std::string(kAppTitle) + " - " + destination + "(" + std::to_string(k) +
                                  " / " + count + ")");
                shell_.processEvents();
                const int number = static_cast<int>(k), n = static_cast<int>(studies.size());
                if (monitor.cancelled()) {
                    ReportCancel(destination, number, n, images, dicom::MoveResult::Cancel::None);
                    return;
                }
                monitor.MoveStarting(destination, number, n);
                const dicom::MoveResult result =
                    seriesOf_ ? association->MoveSeries(*seriesOf_, {uid}, destination, &monitor)
                              : association->Move(uid, destination, &monitor);
                monitor.MoveEnded(result.counts, number < n || !lastDestination);
                images.add(result.counts);
                if (result.cancel != dicom::MoveResult::Cancel::None) {
                    images.notSent = NotSentAfterCancel(result.counts, monitor.snapshot().total);
                    ReportCancel(destination, number, n, images, result.cancel);
                    return;
                }
                if (NothingSent(result)) {
                    ++empty;
                    errors_.log(dicom::kErrNothingSent,
                                seriesOf_ ? NothingSentSeriesLogText(destination, *seriesOf_, uid)
                                          : NothingSentLogText(destination, studies[k - 1]),
                                "Send");
                    continue;
                }
                ++moved;
            }
            summary_ += "Sending was successful (" + std::to_string(moved) + " / " + count +
                        (seriesOf_ ? " series" : "") + ") to " + destination + "." +
                        NothingSentSentence(empty, unit_) + "\n\n";
        },
        " (" + destination + ")");
}

void Sender::ReportCancel(const std::string& destination, int study, int studies, const ImageTally& images,
                          dicom::MoveResult::Cancel how) {
    using Cancel = dicom::MoveResult::Cancel;
    const bool confirmed = how != Cancel::Unconfirmed;
    errors_.log(confirmed ? kCancelStatus : dicom::kErrAssociationAborted,
                CancelLogText(destination, study, studies, images, confirmed, unit_), "Send");
    if (how == Cancel::None && study == 1) {
        summary_ += NotSentParagraph(destination, studies, unit_);
    } else if (confirmed) {
        // The studies after the stopped one were never begun; so was the
        // stopped one itself when the cancel came before its move.
        summary_ +=
            CancelledParagraph(destination, images, how == Cancel::None ? study : study + 1, studies, unit_);
    } else {
        cancelUnconfirmed_ = true;
        summary_ += UnconfirmedParagraph(destination, images, study + 1, studies, unit_);
    }
}

}  // namespace pelko::send
