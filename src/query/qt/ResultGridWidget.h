// grid1: the result grid as a table view over a model of text cells, with
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
    void appendColumn(const QString& title);
    void clearRows();
    void appendRow();
    void setCell(int row, int column, const QString& text, bool centred);
    QString cellText(int row, int column) const;
    // Stable sort by the text of one column, letters compared without
    // regard to case. Persistent indexes (selection, current cell) move with
    // their rows.
    void sortByColumn(int column, bool ascending);

private:
    struct Cell {
        QString text;
        bool centred = false;
    };
    void showHeldRows();

    std::vector<QString> titles_;
    std::vector<std::vector<Cell>> rows_;
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
    void addRow() override;
    void setCell(int row, int column, const std::string& value, bool centred = false) override;
    std::string cellText(int row, int column) const override;
    void selectCell(int row, int column) override;
    int selectedRowCount() const override;
    int selectedRow(int n) const override;
    void sortBy(int column, bool ascending) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void popUpSelectMenu(int x, int y) override;
    std::vector<int> selectedRows() const;  // 1-based, ascending

    ResultGridModel* model_;  // owned by the widget
    QMenu* selectMenu_;       // "SELECT" with "Mark all"
    bool changing_ = false;   // the program itself is changing rows or selection
    std::unique_ptr<query::ResultGrid> logic_;
};

}  // namespace pelko::ui
