#include "send/Sender.h"

#include "base/ActionGate.h"
#include "base/Shell.h"
#include "config/Settings.h"
#include "dicom/Toolkit.h"
#include "log/Error.h"
#include "log/ErrorReport.h"
#include "query/ArchivePeer.h"
#include "query/ResultGridView.h"

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
        const Studies studies = grid_.selectedStudyUids();
        if (settings_.record().UseForward) {
            SendForward(studies);
        } else {
            SendMove(studies, SelectedDestinations());
        }
    });
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
        request.Attributes().Add(dicom::tags::RedirectStudyUID, RequireUid(studies[n - 1], n));
        association->Store(uids->NewUID(), request);
    }
    association->Close();
    shell_.setCaption(kAppTitle);
    shell_.showInfo(kRequestsCompleted);
}

void Sender::SendMove(const Studies& studies, const Destinations& destinations) {
    summary_.clear();
    for (const auto& destination : destinations) {
        shell_.processEvents();
        if (destination) SendToNode(*destination, studies);
    }
    shell_.setCaption(kAppTitle);
    if (!summary_.empty()) shell_.showInfo(summary_);
}

void Sender::SendToNode(const std::string& destination, const Studies& studies) {
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
            for (std::size_t k = 1; k <= studies.size(); ++k) {
                const std::string& uid = RequireUid(studies[k - 1], k);
                shell_.setCaption(std::string(kAppTitle) + " - " + destination + "(" + std::to_string(k) +
                                  " / " + count + ")");
                shell_.processEvents();
                association->Move(uid, destination);
                ++moved;
            }
            summary_ += "Sending was successful (" + std::to_string(moved) + " / " + count + ") to " +
                        destination + ".\n\n";
        },
        " (" + destination + ")");
}

}  // namespace pelko::send
