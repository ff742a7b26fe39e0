// The result grid's own behaviour: its ten columns, sorting by a click on a
// column header, enabling "Send" when a study row is picked, the "SELECT"
// pop-up on a right click and its "Mark all" command.
#pragma once

#include <array>
#include <string>

#include "query/ResultGridView.h"

namespace pelko {
class ActionGate;
class ErrorReporter;
class Shell;
}  // namespace pelko

namespace pelko::query {

// Mouse button codes as the grid reports them.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

// The pop-up menu "SELECT" with its single entry "Mark all".
class SelectMenuView {
public:
    virtual ~SelectMenuView() = default;
    // Opens the menu at (x, y) in the grid's own coordinates.
    virtual void popUpSelectMenu(int x, int y) = 0;
};

class ResultGrid {
public:
    ResultGrid(ResultGridView& view, SelectMenuView& menu, Shell& shell, ErrorReporter& errors,
               ActionGate& gate);

    // Creates the ten columns; a failure reaches the caller (start-up).
    void ConfigureColumns();

    // Header click on column c: sorts by c, ascending on the first click and
    // then alternating per column. Refused while another action runs (a
    // send walks the selected rows and must not see them reordered); each
    // step that fails is skipped silently.
    void HeaderClick(int column);
    // The user moved the current cell: a study row allows "Send", the
    // "No data" row does not. Nothing is ever disallowed here.
    void RowPicked(int row, int column);
    // Mouse button in the grid: the right button over a grid with rows opens
    // "SELECT".
    void MouseDown(int button, int x, int y);
    // "Mark all": selects every row, letting pending events run before each.
    void MarkAll();

private:
    template <typename F>
    void reported(const char* label, F&& body);

    ResultGridView& view_;
    SelectMenuView& menu_;
    Shell& shell_;
    ErrorReporter& errors_;
    ActionGate& gate_;
    // Per column: its last sort was ascending, so the next one descends.
    std::array<bool, kGridColumns> sortedAscendingLast_{};
};

}  // namespace pelko::query
