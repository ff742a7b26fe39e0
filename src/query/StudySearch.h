// The study search of the main window: the criteria of the search panel,
// one study-level C-FIND against the archive and the rows of the result
// grid; the date presets "Today", "Yesterday" and "Week"; the key filter of
// the sex field.
#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>

#include "dicom/Toolkit.h"
#include "query/SearchCriteria.h"

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

// The search panel's fields whose text the clean-up writes back.
enum class SearchField {
    FirstName,        // txtName1
    LastName,         // txtName2
    PatientId,        // txtPatID
    AccessionNumber,  // txtAccNum
};

// The search panel's controls as the search sees them. Texts are UTF-8.
class SearchPanelView {
public:
    virtual ~SearchPanelView() = default;
    // What the fields and the date pickers hold now.
    virtual SearchCriteria criteria() const = 0;
    // Shows the cleaned text of a field.
    virtual void setText(SearchField field, const std::string& text) = 0;
    // The study date picker: a date ticks it, none clears the tick and
    // keeps the shown date.
    virtual void setStudyDate(std::optional<std::chrono::year_month_day> date) = 0;
    virtual void focusSearchButton() = 0;
};

// The sex field's key filter. `key` is the character code of the pressed
// key; the result says what the field's text becomes (nothing: unchanged)
// and which key goes on to the field (0: swallowed). Only Backspace goes on.
struct SexKeyResult {
    std::optional<std::string> text;
    int key = 0;
};
SexKeyResult FilterSexKey(int key);

class StudySearch {
public:
    StudySearch(SearchPanelView& panel, ResultGridView& grid, Shell& shell, config::Settings& settings,
                dicom::Toolkit& toolkit, ErrorReporter& errors, const Clock& clock, ActionGate& gate);

    // "Search" (also Enter in the panel). Refused while another action
    // runs, this one included: the grid fill lets events run.
    void Search();
    // The presets: the panel's criteria with the study date (or the last
    // seven days) from the clock at the moment of the click. The date
    // picker shows the date while the search runs and is unticked again
    // after it.
    void Today();
    void Yesterday();
    void Week();

    // The result list of the last query, until the search is done with it.
    const dicom::DatasetList& results() const { return results_; }

private:
    // The steps of a search; the caller holds the gate's pass.
    void runPreset(std::chrono::year_month_day shown, StudyDates dates);
    void run(const SearchCriteria& criteria);
    void runSteps(const SearchCriteria& criteria);
    void showCleaned(const SearchCriteria& before, const SearchCriteria& after);
    dicom::DatasetList find(const SearchCriteria& criteria);
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
    // A close request stops a running search through this.
    struct CancelFlag : dicom::FindObserver {
        std::atomic<bool> raised{false};
        bool CancelRequested() const override { return raised.load(); }
    } cancel_;
};

}  // namespace pelko::query
