#include "query/StudySearch.h"

#include <algorithm>
#include <cstdio>

#include "app/ActionGate.h"
#include "app/Shell.h"
#include "config/Settings.h"
#include "log/Clock.h"
#include "log/Error.h"
#include "log/ErrorReport.h"
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

std::string DicomDate(std::chrono::year_month_day date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::string CollapseRepeats(std::string text, std::string_view pattern, std::string_view replacement) {
    if (pattern.empty()) return text;
    const bool endless = replacement.find(pattern) != std::string_view::npos;
    bool found = true;
    while (found) {
        found = false;
        for (auto pos = text.find(pattern); pos != std::string::npos;
             pos = text.find(pattern, pos + replacement.size())) {
            text.replace(pos, pattern.size(), replacement);
            found = true;
        }
        if (endless) break;
    }
    return text;
}

std::string ComposePatientName(const std::string& firstName, const std::string& lastName) {
    if (firstName.empty()) return lastName;
    if (!lastName.empty()) return lastName + "^" + firstName;
    return "*^" + firstName;
}

bool IsEmptyNamePattern(std::string_view text) {
    return std::find(kEmptyNamePatterns.begin(), kEmptyNamePatterns.end(), text) != kEmptyNamePatterns.end();
}

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
    run();
}

void StudySearch::Today() {
    auto pass = gate_.tryEnter();
    if (!pass) return;
    panel_.setStudyDate(clock_.now().date);
    run();
    panel_.setStudyDate(std::nullopt);
}

void StudySearch::Yesterday() {
    auto pass = gate_.tryEnter();
    if (!pass) return;
    const std::chrono::sys_days today{clock_.now().date};
    panel_.setStudyDate(std::chrono::year_month_day{today - std::chrono::days{1}});
    run();
    panel_.setStudyDate(std::nullopt);
}

void StudySearch::Week() {
    auto pass = gate_.tryEnter();
    if (!pass) return;
    const std::chrono::year_month_day today = clock_.now().date;
    const std::chrono::year_month_day weekAgo{std::chrono::sys_days{today} - std::chrono::days{7}};
    panel_.setStudyDate(weekAgo);
    panel_.setStudyDateRange(DicomDate(weekAgo) + "-" + DicomDate(today));
    run();
    panel_.setStudyDateRange("");
    panel_.setStudyDate(std::nullopt);
}

void StudySearch::ComposePatientName() {
    panel_.setText(SearchField::PatName, query::ComposePatientName(panel_.text(SearchField::Name1),
                                                                   panel_.text(SearchField::Name2)));
}

void StudySearch::run() {
    try {
        runSteps();
    } catch (...) {
        const ErrorInfo e = CurrentErrorInfo();
        errors_.logThenMessageA(e.number, e.description, kSearchLabel);
    }
}

void StudySearch::collapse(SearchField field) {
    const std::string before = panel_.text(field);
    const std::string after = CollapseRepeats(CollapseRepeats(before, "**", "*"), "%%", "%");
    if (after == before) return;
    panel_.setText(field, after);
    if (field == SearchField::Name1 || field == SearchField::Name2) ComposePatientName();
}

void StudySearch::runSteps() {
    shell_.setSendEnabled(false);

    for (SearchField field : {SearchField::Name1, SearchField::Name2, SearchField::PatID,
                              SearchField::PatName, SearchField::AccNum}) {
        collapse(field);
    }
    for (SearchField field : {SearchField::PatID, SearchField::PatName}) {
        if (IsEmptyNamePattern(panel_.text(field))) panel_.setText(field, "");
    }

    const bool tooVague =
        !panel_.birthDate() && !panel_.studyDate() && panel_.text(SearchField::StudyDesc).empty() &&
        panel_.text(SearchField::Sex).empty() && panel_.text(SearchField::PatName).empty() &&
        panel_.text(SearchField::PatID).empty();
    if (tooVague && panel_.text(SearchField::AccNum).empty()) {
        shell_.showError(kMoreCriteria);
        return;
    }

    if (!settings_.CheckINI()) return;

    results_ = find();

    // The toolkit stops at kMaxFindResults; a list that long may be cut
    // short, so it is not shown, with or without an accession number.
    if (results_.Count() >= dicom::kMaxFindResults) {
        shell_.showError(kMoreCriteria);
        return;
    }

    grid_.removeAllRows();
    fillGrid();
    results_.Clear();
}

dicom::DatasetList StudySearch::find() {
    const config::AppSettings& s = settings_.record();
    auto association = toolkit_.newQueryAssociation();
    association->setPort(s.QueryPort);
    association->setHost(s.QueryIP);
    association->setCalledAET(s.QueryAET);
    association->setCallingAET(s.LocalAET);
    association->setRoot("STUDY");

    dicom::Dataset& request = association->Request();
    panel_.focusSearchButton();

    request.setPatientName(Replaced(panel_.text(SearchField::PatName), ' ', '^'));
    request.setPatientID(panel_.text(SearchField::PatID));
    request.setPatientSex(panel_.text(SearchField::Sex));
    const auto birth = panel_.birthDate();
    request.setPatientBirthDate(birth ? DicomDate(*birth) : "");

    std::string studyDate = panel_.studyDateRange();
    if (studyDate.empty()) {
        const auto date = panel_.studyDate();
        studyDate = date ? DicomDate(*date) : "";
    }
    if (s.UseRegistered) {
        // The criterion goes to the archive's registered date; the Study
        // Date stays an empty return key, since the grid shows it.
        request.Attributes().Add(dicom::tags::StudyDate, "");
        request.Attributes().Add(dicom::tags::RegisteredDate, studyDate);
    } else {
        request.Attributes().Add(dicom::tags::StudyDate, studyDate);
    }
    request.Attributes().Add(dicom::tags::QueryRetrieveLevel, "STUDY");
    request.setStudyDescription(panel_.text(SearchField::StudyDesc));
    request.setAccessionNumber(panel_.text(SearchField::AccNum));

    return association->Find(request);
}

void StudySearch::fillGrid() {
    if (results_.Count() == 0) {
        grid_.addRow();
        grid_.setCell(grid_.rowCount(), kStudyDateColumn, kNoData, true);
        return;
    }

    RedrawOff redrawOff(grid_);
    for (int i = 0; i < results_.Count(); ++i) {
        shell_.processEvents();
        const dicom::Dataset& study = results_[static_cast<std::size_t>(i)];
        const dicom::AttributeList& a = study.Attributes();
        grid_.addRow();
        const int row = grid_.rowCount();
        grid_.setCell(row, 1, study.StudyInstanceUID());
        grid_.setCell(row, 2, a.Item(dicom::tags::StudyDate), true);
        grid_.setCell(row, 3, study.PatientID());
        grid_.setCell(row, 4, Replaced(study.PatientName(), '^', ' '));
        grid_.setCell(row, 5, study.PatientSex(), true);
        grid_.setCell(row, 6, study.PatientBirthDate(), true);
        grid_.setCell(row, 7, a.Item(dicom::tags::StudyTime), true);
        grid_.setCell(row, 8, study.StudyDescription());
        grid_.setCell(row, 9, study.AccessionNumber());
        grid_.setCell(row, 10, a.Item(dicom::tags::Modality), true);
    }
}

}  // namespace pelko::query
