#include "query/ResultGrid.h"

#include "base/ActionGate.h"
#include "base/Shell.h"
#include "log/Error.h"
#include "log/ErrorReport.h"

namespace pelko::query {
const std::array<GridColumn, kGridColumns>& ResultColumns() {
    using R = StudyRow;
    static const std::array<GridColumn, kGridColumns> columns = {{
        {"COLUMN1", "ID", std::nullopt, false, false, &R::studyInstanceUid},
        {"COLUMN2", "Studydate", 110, true, true, &R::studyDate},
        {"COLUMN3", "Patient ID", 150, true, false, &R::patientId},
        {"COLUMN4", "Name", 200, true, false, &R::patientName},
        {"COLUMN5", "Sex", 35, true, true, &R::sex},
        {"COLUMN6", "Date of Birth", 100, true, true, &R::birthDate},
        {"COLUMN7", "Time", std::nullopt, true, true, &R::studyTime},
        {"COLUMN8", "Study Description", 160, true, false, &R::description},
        {"COLUMN9", "Accession Number", 200, true, false, &R::accessionNumber},
        {"COLUMN10", "Modality", std::nullopt, true, true, &R::modality},
    }};
    return columns;
}

StudyRow NoDataRow() {
    StudyRow row;
    row.studyDate = kNoData;
    return row;
}

ResultGrid::ResultGrid(ResultGridView& view, SelectMenuView& menu, Shell& shell, ErrorReporter& errors,
                       ActionGate& gate)
    : view_(view), menu_(menu), shell_(shell), errors_(errors), gate_(gate) {}

// These handlers have no failure path of their own; an unexpected failure
// is reported as every trapped handler does, instead of leaving the event
// loop through an exception.
template <typename F>
void ResultGrid::reported(const char* label, F&& body) {
    errors_.Run(label, Report::LogThenSeeLog, std::forward<F>(body));
}

void ResultGrid::ConfigureColumns() {
    for (const GridColumn& column : ResultColumns()) view_.addColumn(column);
}

void ResultGrid::HeaderClick(int column) {
    if (column < 1 || column > kGridColumns || gate_.busy()) return;
    // One sort key: this column, ascending unless its last sort was.
    auto lastAscending = sortedAscendingLast_[static_cast<std::size_t>(column - 1)];
    const bool ascending = !lastAscending;
    sortedAscendingLast_[static_cast<std::size_t>(column - 1)] = ascending;

    SkipOnFailure([&] { shell_.setBusyPointer(true); });
    SkipOnFailure([&] { view_.sortBy(column, ascending); });
    SkipOnFailure([&] { shell_.setBusyPointer(false); });
}

void ResultGrid::RowPicked(int row, int /*column*/) {
    // While a search or a send runs, "Send" stays as that action left it.
    if (gate_.busy()) return;
    reported("grid1_SelectionChange", [&] {
        if (row < 1 || row > view_.rowCount()) return;
        if (view_.isStudy(row)) view_.allowSend(true);
    });
}

void ResultGrid::MouseDown(int button, int x, int y) {
    if (gate_.busy()) return;
    reported("grid1_MouseDown", [&] {
        if (view_.rowCount() >= 1 && button == kRightButton) menu_.popUpSelectMenu(x, y);
    });
}

void ResultGrid::MarkAll() {
    auto pass = gate_.tryEnter();
    if (!pass) return;
    reported("mnuMarkAll_Click", [&] {
        const int rows = view_.rowCount();
        for (int r = 1; r <= rows; ++r) {
            shell_.processEvents();
            view_.selectRow(r);
        }
    });
}

}  // namespace pelko::query
