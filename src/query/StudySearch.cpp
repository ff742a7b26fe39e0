#include "query/StudySearch.h"

#include <algorithm>

#include "base/ActionGate.h"
#include "base/Shell.h"
#include "base/Text.h"
#include "config/Settings.h"
#include "log/Clock.h"
#include "log/Error.h"
#include "log/ErrorReport.h"
#include "query/ArchivePeer.h"
#include "query/ModalityText.h"
#include "query/ResultGridView.h"

namespace pelko::query {
namespace {

std::string Replaced(std::string text, char from, char to) {
    std::replace(text.begin(), text.end(), from, to);
    return text;
}

// Switches the grid's redrawing back on however the fill ends, so that the
// rows written before a failure are shown.
class RedrawOff {
public:
    explicit RedrawOff(ResultGridView& grid) : grid_(grid) { grid_.setRedraw(false); }
    ~RedrawOff() {
        try {
            grid_.setRedraw(true);
        } catch (...) {
        }
    }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    ResultGridView& grid_;
};

}  // namespace

SexKeyResult FilterSexKey(int key) {
    SexKeyResult result;
    switch (key) {
        case 'M':
        case 'm':
            result.text = "M";
            break;
        case 'F':
        case 'f':
            result.text = "F";
            break;
        case 'O':
        case 'o':
            result.text = "O";
            break;
        default:
            break;
    }
    result.key = key == kBackspace ? kBackspace : 0;
    return result;
}

StudySearch::StudySearch(SearchPanelView& panel, ResultGridView& grid, Shell& shell,
                         config::Settings& settings, dicom::Toolkit& toolkit, ErrorReporter& errors,
                         const Clock& clock, ActionGate& gate)
    : panel_(panel),
      grid_(grid),
      shell_(shell),
      settings_(settings),
      toolkit_(toolkit),
      errors_(errors),
      clock_(clock),
      gate_(gate) {}

void StudySearch::Search() {
    auto pass = gate_.tryEnter();
    if (!pass) return;
    run(panel_.criteria());
}

void StudySearch::Today() {
    auto pass = gate_.tryEnter();
    if (!pass) return;
    const std::chrono::year_month_day today = clock_.now().date;
    runPreset(today, {today, std::nullopt});
}

void StudySearch::Yesterday() {
    auto pass = gate_.tryEnter();
    if (!pass) return;
    const std::chrono::year_month_day yesterday{std::chrono::sys_days{clock_.now().date} -
                                                std::chrono::days{1}};
    runPreset(yesterday, {yesterday, std::nullopt});
}

void StudySearch::Week() {
    auto pass = gate_.tryEnter();
    if (!pass) return;
    const std::chrono::year_month_day today = clock_.now().date;
    const std::chrono::year_month_day weekAgo{std::chrono::sys_days{today} - std::chrono::days{7}};
    runPreset(weekAgo, {weekAgo, today});
}

void StudySearch::runPreset(std::chrono::year_month_day shown, StudyDates dates) {
    SearchCriteria criteria = panel_.criteria();
    criteria.studyDates = dates;
    panel_.setStudyDate(shown);
    run(criteria);
    panel_.setStudyDate(std::nullopt);
}

void StudySearch::run(const SearchCriteria& criteria) {
    cancel_.raised = false;
    gate_.setCancel([this] { cancel_.raised = true; });
    errors_.Run(kSearchLabel, Report::LogThenSeeLog, [&] { runSteps(criteria); });
}

void StudySearch::showCleaned(const SearchCriteria& before, const SearchCriteria& after) {
    const std::pair<SearchField, std::string SearchCriteria::*> fields[] = {
        {SearchField::FirstName, &SearchCriteria::firstName},
        {SearchField::LastName, &SearchCriteria::lastName},
        {SearchField::PatientId, &SearchCriteria::patientId},
        {SearchField::AccessionNumber, &SearchCriteria::accessionNumber},
    };
    for (const auto& [field, member] : fields) {
        if (after.*member != before.*member) panel_.setText(field, after.*member);
    }
}

void StudySearch::runSteps(const SearchCriteria& asked) {
    grid_.allowSend(false);

    const SearchCriteria criteria = Cleaned(asked);
    showCleaned(asked, criteria);
    // The user's own input, not a failure: shown, not logged.
    if (const auto refusal = InputRefusal(criteria)) {
        shell_.showError(*refusal);
        return;
    }
    if (TooVague(criteria)) {
        shell_.showError(kMoreCriteria);
        return;
    }

    if (!settings_.ReloadOrReportMissing()) return;

    results_ = find(criteria);
    // The program is closing: nothing more to show.
    if (cancel_.raised) {
        results_.Clear();
        return;
    }

    // The toolkit stops at kMaxFindResults; a list that long may be cut
    // short, so it is not shown, with or without an accession number.
    if (results_.Count() >= dicom::kMaxFindResults || results_.cut()) {
        shell_.showError(kMoreCriteria);
        return;
    }

    grid_.removeAllRows();
    fillGrid();
    results_.Clear();
}

dicom::DatasetList StudySearch::find(const SearchCriteria& criteria) {
    const config::AppSettings& s = settings_.record();
    auto association = toolkit_.newQueryAssociation(ArchivePeer(s));
    panel_.focusSearchButton();
    return association->Find(StudyIdentifier(criteria, s.UseRegistered), &cancel_);
}

void StudySearch::fillGrid() {
    if (results_.Count() == 0) {
        grid_.addNoDataRow();
        return;
    }

    RedrawOff redrawOff(grid_);
    for (int i = 0; i < results_.Count(); ++i) {
        shell_.processEvents();
        const dicom::Dataset& study = results_[static_cast<std::size_t>(i)];
        const dicom::AttributeList& a = study.Attributes();
        grid_.addStudy({
            .studyInstanceUid = study.StudyInstanceUID(),
            .studyDate = a.Item(dicom::tags::StudyDate),
            .patientId = study.PatientID(),
            .patientName = Replaced(study.PatientName(), '^', ' '),
            .sex = study.PatientSex(),
            .birthDate = study.PatientBirthDate(),
            .studyTime = a.Item(dicom::tags::StudyTime),
            .description = study.StudyDescription(),
            .accessionNumber = study.AccessionNumber(),
            .modality = ModalityText(study),
        });
    }
}

}  // namespace pelko::query
