// grid1: the result grid as a table view over a model of study rows, with
// its "SELECT" pop-up. Rows and columns are 1-based towards the program.
// Sorting is done when the grid's logic asks for it, never by the view on
// its own; header clicks, current cell changes by the user and mouse
// presses are handed on to the logic, which the widget owns.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <memory>
#include <vector>

#include "query/ResultGrid.h"
#include "query/ResultGridView.h"

class QMenu;

namespace pelko::ui {

class ResultGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Rows appended while held are stored, filled and counted by
    // storedRows(), but the view learns of them only when the hold ends, all
    // at once: the view then lays itself out once instead of once per row.
    void holdNewRows(bool hold);
    int storedRows() const { return static_cast<int>(rows_.size()); }

    // 0-based, as Qt counts.
    void appendColumn(const query::GridColumn& column);
    void clearRows();
    // A study, or the "No data" row when `study` is false.
    void appendRow(const query::StudyRow& values, bool study);
    bool isStudy(int row) const;
    // The study of a row as the row shows it (0-based, a study row).
    query::StudyRow studyAt(int row) const;
    // The Study Instance UIDs of the study rows whose flag is set, top first.
    std::vector<std::string> studyUids(const std::vector<bool>& rows) const;
    // The same studies with their patient names and study dates.
    std::vector<query::SelectedStudy> studies(const std::vector<bool>& rows) const;
    // Stable sort by the text of one column, letters compared without
    // regard to case. Persistent indexes (selection, current cell) move with
    // their rows.
    void sortByColumn(int column, bool ascending);

private:
    // A row's shown texts are made once, when it comes: sorting and painting
    // compare and show them many times.
    struct Row {
        bool study = false;
        std::string uid;
        std::vector<QString> texts;  // one per column
    };
    void showHeldRows();

    std::vector<query::GridColumn> columns_;
    std::vector<Row> rows_;
    int shown_ = 0;  // rows the view knows of
    bool holding_ = false;
};

class ResultGridWidget : public QTableView, public query::ResultGridView, private query::SelectMenuView {
    Q_OBJECT
public:
    ResultGridWidget(Shell& shell, ErrorReporter& errors, ActionGate& gate, QWidget* parent);
    ~ResultGridWidget() override;

    // Start-up: the ten columns; a failure reaches the caller.
    void configureColumns();

    // ResultGridView
    void addColumn(const query::GridColumn& column) override;
    int rowCount() const override;
    void removeAllRows() override;
    void setRedraw(bool on) override;
    void addStudy(const query::StudyRow& study) override;
    void addNoDataRow() override;
    bool isStudy(int row) const override;
    void selectRow(int row) override;
    std::vector<std::string> selectedStudyUids() const override;
    std::vector<query::SelectedStudy> selectedStudies() const override;
    void sortBy(int column, bool ascending) override;
    void allowSend(bool allowed) override { emit sendAllowed(allowed); }

    // Ctrl+O in the grid opens the current study, as a double-click does.
    static constexpr QKeyCombination kOpenStudyKey{Qt::ControlModifier, Qt::Key_O};

signals:
    // On when the user picks a study row, off when a search starts.
    void sendAllowed(bool allowed);
    // A double-click on a study row, or Ctrl+O on the current one: the
    // study is to be opened to its series.
    void studyOpened(const query::StudyRow& study);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openStudy(const QModelIndex& index);
    void popUpSelectMenu(int x, int y) override;
    std::vector<bool> selectedRows() const;

    ResultGridModel* model_;  // owned by the widget
    QMenu* selectMenu_;       // "SELECT" with "Mark all"
    bool changing_ = false;   // the program itself is changing rows or selection
    std::unique_ptr<query::ResultGrid> logic_;
};

}  // namespace pelko::ui
