// The study search of the main window: the criteria of the search panel,
// one study-level C-FIND against the archive and the rows of the result
// grid; the date presets "Today", "Yesterday" and "Week"; the composition of
// the patient name and the key filter of the sex field.
#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "dicom/Toolkit.h"

namespace pelko {
class ActionGate;
class Clock;
class ErrorReporter;
class Shell;
namespace config {
class Settings;
}
}  // namespace pelko

namespace pelko::query {

class ResultGridView;

inline constexpr const char* kMoreCriteria = "Please provide more specific search criteria.";
inline constexpr const char* kSearchLabel = "cmdSearch_Click";

// Texts that count as no criterion in the patient ID and the composed
// patient name, compared exactly.
inline constexpr std::array<std::string_view, 12> kEmptyNamePatterns = {
    "*", "*^", "^*", "*^*", "%", "%^", "^%", "%^%", "^", " ^ ", "%^*", "*^%"};

enum class SearchField {
    Name1,      // txtName1, first name
    Name2,      // txtName2, last name
    PatName,    // txtPatName, hidden: the composed patient name
    PatID,      // txtPatID
    Sex,        // cboSex
    StudyDesc,  // txtStudyDesc
    AccNum,     // txtAccNum
};

// The search panel's controls as the search sees them. Texts are UTF-8.
class SearchPanelView {
public:
    virtual ~SearchPanelView() = default;
    virtual std::string text(SearchField field) const = 0;
    virtual void setText(SearchField field, const std::string& text) = 0;
    // Date pickers with a tick box: no date when unticked. Setting no date
    // clears the tick.
    virtual std::optional<std::chrono::year_month_day> birthDate() const = 0;
    virtual std::optional<std::chrono::year_month_day> studyDate() const = 0;
    virtual void setStudyDate(std::optional<std::chrono::year_month_day> date) = 0;
    // The range text of the study date, set only while "Week" runs.
    virtual std::string studyDateRange() const = 0;
    virtual void setStudyDateRange(const std::string& range) = 0;
    virtual void focusSearchButton() = 0;
};

// "YYYYMMDD".
std::string DicomDate(std::chrono::year_month_day date);

// Replaces `pattern` by `replacement` again and again until `pattern` no
// longer occurs. A replacement that would bring the pattern back forever
// (it contains the pattern) is applied in one pass only.
std::string CollapseRepeats(std::string text, std::string_view pattern, std::string_view replacement);

// The DICOM person name from the two name fields, family name first:
// "Smith", "Smith^John", or "*^John" when only the first name is given.
std::string ComposePatientName(const std::string& firstName, const std::string& lastName);

bool IsEmptyNamePattern(std::string_view text);

// The sex field's key filter. `key` is the character code of the pressed
// key; the result says what the field's text becomes (nothing: unchanged)
// and which key goes on to the field (0: swallowed). Only Backspace goes on.
struct SexKeyResult {
    std::optional<std::string> text;
    int key = 0;
};
inline constexpr int kBackspace = 8;
SexKeyResult FilterSexKey(int key);

class StudySearch {
public:
    StudySearch(SearchPanelView& panel, ResultGridView& grid, Shell& shell, config::Settings& settings,
                dicom::Toolkit& toolkit, ErrorReporter& errors, const Clock& clock, ActionGate& gate);

    // "Search" (also Enter in the panel). Refused while another action
    // runs, this one included: the grid fill lets events run.
    void Search();
    // The presets: the study date from the clock at the moment of the
    // click, the search, then no study date again.
    void Today();
    void Yesterday();
    void Week();

    // On every change of the first or the last name.
    void ComposePatientName();

    // The result list of the last query, until the search is done with it.
    const dicom::DatasetList& results() const { return results_; }

private:
    // The steps of a search; the caller holds the gate's pass.
    void run();
    void runSteps();
    void collapse(SearchField field);
    dicom::DatasetList find();
    void fillGrid();

    SearchPanelView& panel_;
    ResultGridView& grid_;
    Shell& shell_;
    config::Settings& settings_;
    dicom::Toolkit& toolkit_;
    ErrorReporter& errors_;
    const Clock& clock_;
    ActionGate& gate_;
    dicom::DatasetList results_;
};

}  // namespace pelko::query
