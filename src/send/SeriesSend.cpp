#include "send/SeriesSend.h"

#include "base/ActionGate.h"
#include "config/Settings.h"
#include "dicom/Toolkit.h"
#include "log/ErrorReport.h"
#include "query/ArchivePeer.h"
#include "send/NodeSlots.h"
#include "send/Sender.h"

namespace pelko::send {

std::string SeriesWindowTitle(const SeriesStudy& study) {
    std::string title = "Series";
    if (!study.patientName.empty()) title += " - " + study.patientName;
    std::string about = study.studyDate;
    if (!study.description.empty()) about += (about.empty() ? "" : " ") + study.description;
    if (!about.empty()) title += " - " + about;
    return title;
}

SeriesSend::SeriesSend(SeriesView& view, config::Settings& settings, ErrorReporter& errors,
                       dicom::Toolkit& toolkit, ActionGate& gate, const NodeSlots& nodes, Sender& sender)
    : view_(view),
      settings_(settings),
      errors_(errors),
      toolkit_(toolkit),
      gate_(gate),
      nodes_(nodes),
      sender_(sender) {}

bool SeriesSend::Open(const SeriesStudy& study) {
    auto pass = gate_.tryEnter();
    if (!pass) return false;
    dicom::DatasetList answers;
    bool asked = false;
    errors_.Run(kSeriesLabel, Report::LogThenDetails, [&] {
        if (!settings_.ReloadOrReportMissing()) return;
        auto association = toolkit_.newQueryAssociation(query::ArchivePeer(settings_.record()));
        answers = association->Find(query::SeriesIdentifier(study.studyInstanceUid));
        asked = true;
    });
    if (!asked) return false;
    studyUid_ = study.studyInstanceUid;
    forward_ = settings_.record().UseForward;
    view_.showSeries(query::SeriesRows(answers));
    view_.setNote(forward_ ? kSeriesForwardNote : "");
    Update();
    return true;
}

bool SeriesSend::nodeMarked() const {
    for (int i = 0; i < kNodeSlots; ++i) {
        if (nodes_.slot(i).shown && nodes_.slot(i).marked) return true;
    }
    return false;
}

void SeriesSend::Update() {
    view_.allowSendSeries(!forward_ && nodeMarked() && !view_.tickedSeries().empty());
}

void SeriesSend::Send() {
    const std::vector<std::string> ticked = view_.tickedSeries();
    if (forward_ || ticked.empty()) return;
    sender_.SendSeries(studyUid_, ticked);
}

}  // namespace pelko::send
