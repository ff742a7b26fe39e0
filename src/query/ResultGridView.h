// The result grid as the program uses it: one typed row per study, or the
// single "No data" row of an empty result, shown in the ten columns of one
// table. Rows and columns are 1-based.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace pelko::query {

inline constexpr int kGridColumns = 10;
inline constexpr const char* kNoData = "No data";

// A study as the grid shows it.
struct StudyRow {
    std::string studyInstanceUid;  // the key a send goes by; its column is hidden
    std::string studyDate;         // of the "No data" row: the marker
    std::string patientId;
    std::string patientName;  // "^" shown as blanks
    std::string sex;
    std::string birthDate;
    std::string studyTime;
    std::string description;
    std::string accessionNumber;
    std::string modality;
};

struct GridColumn {
    std::string key;
    std::string title;
    std::optional<int> widthPixels;  // none: the grid's default width
    bool shown = true;
    bool centred = false;                    // its cells' alignment
    std::string StudyRow::*value = nullptr;  // what its cells show
};

// The ten columns in index order: the grid's whole layout.
const std::array<GridColumn, kGridColumns>& ResultColumns();

// The row that stands for an empty result: "No data" in the study date
// column, nothing else. It is never a study.
StudyRow NoDataRow();

// A selected study: its key, and what the user knows it by.
struct SelectedStudy {
    std::string uid;
    std::string patientName;  // as the grid shows it
    std::string studyDate;
    bool operator==(const SelectedStudy&) const = default;
};

// What the send needs of the grid.
class StudySelection {
public:
    virtual ~StudySelection() = default;
    // The Study Instance UIDs of the selected study rows, top row first.
    virtual std::vector<std::string> selectedStudyUids() const = 0;
    // The same studies, with their patient names and study dates.
    virtual std::vector<SelectedStudy> selectedStudies() const = 0;
};

class ResultGridView : public StudySelection {
public:
    virtual void addColumn(const GridColumn& column) = 0;
    virtual int rowCount() const = 0;
    virtual void removeAllRows() = 0;
    virtual void setRedraw(bool on) = 0;
    virtual void addStudy(const StudyRow& study) = 0;
    virtual void addNoDataRow() = 0;
    virtual bool isStudy(int row) const = 0;
    // Selects the row; other selected rows stay.
    virtual void selectRow(int row) = 0;
    // Sorts the rows by the text of one column.
    virtual void sortBy(int column, bool ascending) = 0;
    // "Send" follows: on when the user picks a study, off when a search starts.
    virtual void allowSend(bool allowed) = 0;
};

}  // namespace pelko::query
