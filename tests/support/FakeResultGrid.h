// A result grid in memory that records what the program does with it, for
// the logic tests. Rows and columns are 1-based like the real grid's.
#pragma once

#include <algorithm>
#include <functional>
#include <numeric>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "query/ResultGridView.h"

namespace pelko::test {

class FakeResultGrid : public query::ResultGridView {
public:
    struct Cell {
        std::string text;
        bool centred = false;
    };

    void addColumn(const query::GridColumn& column) override { columns.push_back(column); }
    int rowCount() const override { return static_cast<int>(rows.size()); }
    void removeAllRows() override {
        rows.clear();
        selected.clear();
        events.push_back("clear");
    }
    void setRedraw(bool on) override {
        redraw = on;
        events.push_back(on ? "redraw on" : "redraw off");
    }
    void addRow() override {
        rows.emplace_back(static_cast<std::size_t>(query::kGridColumns));
        events.push_back("row " + std::to_string(rows.size()));
    }
    void setCell(int row, int column, const std::string& value, bool centred = false) override {
        if (onSetCell) onSetCell(row, column);
        at(row, column) = {value, centred};
    }
    std::string cellText(int row, int column) const override {
        return const_cast<FakeResultGrid*>(this)->at(row, column).text;
    }
    void selectCell(int row, int column) override {
        at(row, column);
        selected.insert(row);
        events.push_back("select " + std::to_string(row) + "," + std::to_string(column));
    }
    int selectedRowCount() const override { return static_cast<int>(selected.size()); }
    int selectedRow(int n) const override {
        if (n < 1 || n > selectedRowCount()) throw std::out_of_range("no such selected row");
        return *std::next(selected.begin(), n - 1);
    }
    // Stable sort by the column's text; the selection moves with its rows.
    void sortBy(int column, bool ascending) override {
        events.push_back("sort " + std::to_string(column) + (ascending ? " asc" : " desc"));
        if (onSort) onSort();
        std::vector<std::size_t> order(rows.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        const auto c = static_cast<std::size_t>(column - 1);
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return ascending ? rows[a][c].text < rows[b][c].text : rows[b][c].text < rows[a][c].text;
        });
        std::vector<std::vector<Cell>> sorted;
        std::set<int> moved;
        for (std::size_t i = 0; i < order.size(); ++i) {
            sorted.push_back(rows[order[i]]);
            if (selected.count(static_cast<int>(order[i]) + 1)) moved.insert(static_cast<int>(i) + 1);
        }
        rows = std::move(sorted);
        selected = std::move(moved);
    }

    // One column's texts from row 1 down.
    std::vector<std::string> column(int c) const {
        std::vector<std::string> texts;
        for (int r = 1; r <= rowCount(); ++r) texts.push_back(cellText(r, c));
        return texts;
    }

    std::vector<query::GridColumn> columns;
    std::vector<std::vector<Cell>> rows;
    std::set<int> selected;
    bool redraw = true;
    // "clear", "redraw off"/"redraw on", "row <n>", "select <r>,<c>",
    // "sort <c> asc|desc"; tests may add their own entries.
    std::vector<std::string> events;
    // Run inside setCell and sortBy; may throw to make them fail.
    std::function<void(int row, int column)> onSetCell;
    std::function<void()> onSort;

private:
    Cell& at(int row, int column) {
        if (row < 1 || row > rowCount() || column < 1 || column > query::kGridColumns) {
            throw std::out_of_range("grid cell out of range");
        }
        return rows[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column - 1)];
    }
};

}  // namespace pelko::test
