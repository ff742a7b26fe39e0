// The result grid as the program uses it. Rows and columns are 1-based;
// column 1 (hidden) holds the Study Instance UID, column 2 the study date or
// the "No data" marker of an empty result.
#pragma once

#include <optional>
#include <string>

namespace pelko::query {

inline constexpr int kGridColumns = 10;
inline constexpr int kUidColumn = 1;
inline constexpr int kStudyDateColumn = 2;
inline constexpr const char* kNoData = "No data";

struct GridColumn {
    std::string key;
    std::string title;
    std::optional<int> widthPixels;  // none: the grid's default width
    bool shown = true;
};

class ResultGridView {
public:
    virtual ~ResultGridView() = default;

    virtual void addColumn(const GridColumn& column) = 0;
    virtual int rowCount() const = 0;
    virtual void removeAllRows() = 0;
    virtual void setRedraw(bool on) = 0;
    virtual void addRow() = 0;
    virtual void setCell(int row, int column, const std::string& value, bool centred = false) = 0;
    virtual std::string cellText(int row, int column) const = 0;
    // Selects the row through its cell in `column`; other selected rows stay.
    virtual void selectCell(int row, int column) = 0;
    virtual int selectedRowCount() const = 0;
    // The row of the n-th selected row, n from 1.
    virtual int selectedRow(int n) const = 0;
    // Sorts the rows by one column as text.
    virtual void sortBy(int column, bool ascending) = 0;
};

}  // namespace pelko::query
