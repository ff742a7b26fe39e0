// A result grid in memory, for the logic tests: its rows as the program
// left them, shown through the program's own column table. Rows and columns
// are 1-based like the real grid's.
#pragma once

#include <algorithm>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "query/ResultGridView.h"

namespace pelko::test {

class FakeResultGrid : public query::ResultGridView {
public:
    struct Row {
        query::StudyRow values;
        bool study = false;
    };

    void addColumn(const query::GridColumn& column) override { columns.push_back(column); }
    int rowCount() const override { return static_cast<int>(rows.size()); }
    void removeAllRows() override {
        rows.clear();
        selected.clear();
    }
    void setRedraw(bool on) override { redraw = on; }
    void addStudy(const query::StudyRow& study) override {
        if (onAddStudy) onAddStudy(study);
        rows.push_back({study, true});
    }
    void addNoDataRow() override { rows.push_back({query::NoDataRow(), false}); }
    bool isStudy(int row) const override { return at(row).study; }
    void selectRow(int row) override {
        at(row);
        selected.insert(row);
        if (onSelect) onSelect(row);
    }
    std::vector<std::string> selectedStudyUids() const override {
        std::vector<std::string> uids;
        for (int r : selected) {
            if (at(r).study) uids.push_back(at(r).values.studyInstanceUid);
        }
        return uids;
    }
    std::vector<query::SelectedStudy> selectedStudies() const override {
        std::vector<query::SelectedStudy> studies;
        for (int r : selected) {
            const query::StudyRow& v = at(r).values;
            if (at(r).study) studies.push_back({v.studyInstanceUid, v.patientName, v.studyDate});
        }
        return studies;
    }
    // Stable sort by the column's text; the selection moves with its rows.
    void sortBy(int column, bool ascending) override {
        sorts.push_back(ascending ? column : -column);
        if (onSort) onSort();
        std::vector<std::size_t> order(rows.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const std::string& x = text(static_cast<int>(a) + 1, column);
            const std::string& y = text(static_cast<int>(b) + 1, column);
            return ascending ? x < y : y < x;
        });
        std::vector<Row> sorted;
        std::set<int> moved;
        for (std::size_t i = 0; i < order.size(); ++i) {
            sorted.push_back(rows[order[i]]);
            if (selected.count(static_cast<int>(order[i]) + 1)) moved.insert(static_cast<int>(i) + 1);
        }
        rows = std::move(sorted);
        selected = std::move(moved);
    }
    void allowSend(bool allowed) override { sendAllowed = allowed; }

    // What a cell shows.
    const std::string& text(int row, int column) const {
        return at(row).values.*query::ResultColumns().at(static_cast<std::size_t>(column - 1)).value;
    }
    // One column's texts from row 1 down.
    std::vector<std::string> column(int c) const {
        std::vector<std::string> texts;
        for (int r = 1; r <= rowCount(); ++r) texts.push_back(text(r, c));
        return texts;
    }
    std::vector<std::string> uids() const {
        std::vector<std::string> uids;
        for (const Row& row : rows) uids.push_back(row.values.studyInstanceUid);
        return uids;
    }

    std::vector<query::GridColumn> columns;
    std::vector<Row> rows;
    std::set<int> selected;
    bool redraw = true;
    bool sendAllowed = false;
    std::vector<int> sorts;  // per sort its column, negative when descending
    // Run inside addStudy, selectRow and sortBy; may throw to make them fail.
    std::function<void(const query::StudyRow&)> onAddStudy;
    std::function<void(int row)> onSelect;
    std::function<void()> onSort;

private:
    const Row& at(int row) const {
        if (row < 1 || row > rowCount()) throw std::out_of_range("grid row out of range");
        return rows[static_cast<std::size_t>(row - 1)];
    }
};

}  // namespace pelko::test
