#include "query/qt/ResultGridWidget.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "base/qt/QtSupport.h"
#include "query/ResultGrid.h"

namespace pelko::ui {
namespace {

// Sets a flag for as long as the program itself changes the grid, so that
// the view's own notifications are not taken for the user's.
class Changing {
public:
    explicit Changing(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~Changing() { flag_ = old_; }
    Changing(const Changing&) = delete;
    Changing& operator=(const Changing&) = delete;

private:
    bool& flag_;
    bool old_;
};

}  // namespace

// --- model

int ResultGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int ResultGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ResultGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const auto column = static_cast<std::size_t>(index.column());
    switch (role) {
        case Qt::DisplayRole:
            return rows_[static_cast<std::size_t>(index.row())].texts[column];
        case Qt::ToolTipRole:
            return PlainToolTip(rows_[static_cast<std::size_t>(index.row())].texts[column]);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(columns_[column].centred
                                           ? Qt::Alignment(Qt::AlignCenter)
                                           : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        default:
            return {};
    }
}

QVariant ResultGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return Q(columns_[static_cast<std::size_t>(section)].title);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return {};
}

void ResultGridModel::appendColumn(const query::GridColumn& column) {
    const int at = columnCount();
    beginInsertColumns({}, at, at);
    columns_.push_back(column);
    for (auto& row : rows_) row.texts.emplace_back();
    endInsertColumns();
}

void ResultGridModel::holdNewRows(bool hold) {
    holding_ = hold;
    if (!hold) showHeldRows();
}

void ResultGridModel::showHeldRows() {
    if (shown_ == storedRows()) return;
    beginInsertRows({}, shown_, storedRows() - 1);
    shown_ = storedRows();
    endInsertRows();
}

void ResultGridModel::clearRows() {
    beginResetModel();
    rows_.clear();
    shown_ = 0;
    endResetModel();
}

void ResultGridModel::appendRow(const query::StudyRow& values, bool study) {
    Row row{study, values.studyInstanceUid, {}};
    row.texts.reserve(columns_.size());
    for (const query::GridColumn& column : columns_) row.texts.push_back(Q(values.*column.value));
    rows_.push_back(std::move(row));
    if (!holding_) showHeldRows();
}

bool ResultGridModel::isStudy(int row) const {
    if (row < 0 || row >= storedRows()) throw std::out_of_range("grid row out of range");
    return rows_[static_cast<std::size_t>(row)].study;
}

query::StudyRow ResultGridModel::studyAt(int row) const {
    const Row& r = rows_.at(static_cast<std::size_t>(row));
    query::StudyRow study;
    for (std::size_t c = 0; c < columns_.size() && c < r.texts.size(); ++c) {
        if (columns_[c].value) study.*(columns_[c].value) = r.texts[c].toStdString();
    }
    study.studyInstanceUid = r.uid;
    return study;
}

std::vector<std::string> ResultGridModel::studyUids(const std::vector<bool>& rows) const {
    std::vector<std::string> uids;
    for (std::size_t r = 0; r < rows.size() && r < rows_.size(); ++r) {
        if (rows[r] && rows_[r].study) uids.push_back(rows_[r].uid);
    }
    return uids;
}

std::vector<query::SelectedStudy> ResultGridModel::studies(const std::vector<bool>& rows) const {
    const auto columnOf = [&](std::string query::StudyRow::*value) {
        const auto it = std::find_if(columns_.begin(), columns_.end(),
                                     [&](const query::GridColumn& c) { return c.value == value; });
        return static_cast<std::size_t>(it - columns_.begin());
    };
    const std::size_t name = columnOf(&query::StudyRow::patientName);
    const std::size_t date = columnOf(&query::StudyRow::studyDate);
    const auto text = [](const Row& row, std::size_t column) {
        return column < row.texts.size() ? row.texts[column].toStdString() : std::string();
    };
    std::vector<query::SelectedStudy> found;
    for (std::size_t r = 0; r < rows.size() && r < rows_.size(); ++r) {
        if (rows[r] && rows_[r].study)
            found.push_back({rows_[r].uid, text(rows_[r], name), text(rows_[r], date)});
    }
    return found;
}

void ResultGridModel::sortByColumn(int column, bool ascending) {
    if (column < 0 || column >= columnCount()) throw std::out_of_range("grid column out of range");
    showHeldRows();
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    std::vector<std::size_t> order(rows_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto col = static_cast<std::size_t>(column);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int c = QString::compare(rows_[a].texts[col], rows_[b].texts[col], Qt::CaseInsensitive);
        return ascending ? c < 0 : c > 0;
    });

    std::vector<int> newRowOf(rows_.size());
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        newRowOf[order[i]] = static_cast<int>(i);
        sorted.push_back(std::move(rows_[order[i]]));
    }
    rows_ = std::move(sorted);

    const QModelIndexList from = persistentIndexList();
    QModelIndexList to;
    to.reserve(from.size());
    for (const QModelIndex& old : from) {
        to.append(index(newRowOf[static_cast<std::size_t>(old.row())], old.column()));
    }
    changePersistentIndexList(from, to);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

// --- view

ResultGridWidget::ResultGridWidget(Shell& shell, ErrorReporter& errors, ActionGate& gate, QWidget* parent)
    : QTableView(parent),
      model_(new ResultGridModel(this)),
      selectMenu_(new QMenu(QStringLiteral("SELECT"), this)),
      logic_(std::make_unique<query::ResultGrid>(static_cast<query::ResultGridView&>(*this),
                                                 static_cast<query::SelectMenuView&>(*this), shell, errors,
                                                 gate)) {
    setObjectName(QStringLiteral("grid1"));
    selectMenu_->setObjectName(QStringLiteral("mnuSelect"));
    QAction* markAll = selectMenu_->addAction(QStringLiteral("Mark all"));
    markAll->setObjectName(QStringLiteral("mnuMarkAll"));
    connect(markAll, &QAction::triggered, this, [this] { logic_->MarkAll(); });
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the grid along the window's focus order; the arrow, Home,
    // End and paging keys move inside it.
    setTabKeyNavigation(false);
    setSortingEnabled(false);
    setWordWrap(false);
    setIconSize({0, 0});
    verticalHeader()->hide();
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setDefaultAlignment(Qt::AlignCenter);
    header->setHighlightSections(false);
    setFont(Tahoma(9));

    connect(header, &QHeaderView::sectionClicked, this,
            [this](int section) { logic_->HeaderClick(section + 1); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                if (changing_ || !current.isValid()) return;
                logic_->RowPicked(current.row() + 1, current.column() + 1);
            });
    connect(this, &QAbstractItemView::doubleClicked, this, &ResultGridWidget::openStudy);
}

void ResultGridWidget::openStudy(const QModelIndex& index) {
    if (!index.isValid() || index.row() >= model_->storedRows() || !model_->isStudy(index.row())) return;
    emit studyOpened(model_->studyAt(index.row()));
}

ResultGridWidget::~ResultGridWidget() {
    // The logic goes first; nothing may reach it while the view is torn down.
    horizontalHeader()->disconnect(this);
    selectionModel()->disconnect(this);
}

void ResultGridWidget::configureColumns() {
    logic_->ConfigureColumns();
}

// "SELECT" opens at the pointer over the grid.
void ResultGridWidget::popUpSelectMenu(int x, int y) {
    selectMenu_->popup(viewport()->mapToGlobal(QPoint(x, y)));
}

void ResultGridWidget::addColumn(const query::GridColumn& column) {
    Changing changing(changing_);
    model_->appendColumn(column);
    const int index = model_->columnCount() - 1;
    if (column.widthPixels) setColumnWidth(index, *column.widthPixels);
    setColumnHidden(index, !column.shown);
}

int ResultGridWidget::rowCount() const {
    return model_->storedRows();
}

void ResultGridWidget::removeAllRows() {
    Changing changing(changing_);
    model_->clearRows();
}

void ResultGridWidget::setRedraw(bool on) {
    {
        Changing changing(changing_);
        model_->holdNewRows(!on);
    }
    setUpdatesEnabled(on);
    if (!on) return;
    // The new rows are laid out and the scroll bars shown or hidden now, not
    // on later events: the list is painted once, already in its final shape,
    // instead of again (all of it) when the scroll bar comes.
    executeDelayedItemsLayout();
    updateGeometries();
    setVerticalScrollBarPolicy(verticalScrollBarPolicy());  // lays the scroll bars out at once
    setHorizontalScrollBarPolicy(horizontalScrollBarPolicy());
    viewport()->update();
}

void ResultGridWidget::addStudy(const query::StudyRow& study) {
    Changing changing(changing_);
    model_->appendRow(study, true);
}

void ResultGridWidget::addNoDataRow() {
    Changing changing(changing_);
    model_->appendRow(query::NoDataRow(), false);
}

bool ResultGridWidget::isStudy(int row) const {
    return model_->isStudy(row - 1);
}

void ResultGridWidget::selectRow(int row) {
    Changing changing(changing_);
    const QModelIndex at = model_->index(row - 1, 0);
    if (!at.isValid()) throw std::out_of_range("grid row out of range");
    selectionModel()->select(at, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// One pass over the selection's ranges and one over the rows.
std::vector<bool> ResultGridWidget::selectedRows() const {
    std::vector<bool> selected(static_cast<std::size_t>(model_->storedRows()));
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int r = range.top(); r <= range.bottom(); ++r) selected[static_cast<std::size_t>(r)] = true;
    }
    return selected;
}

std::vector<std::string> ResultGridWidget::selectedStudyUids() const {
    return model_->studyUids(selectedRows());
}

std::vector<query::SelectedStudy> ResultGridWidget::selectedStudies() const {
    return model_->studies(selectedRows());
}

void ResultGridWidget::sortBy(int column, bool ascending) {
    Changing changing(changing_);
    model_->sortByColumn(column - 1, ascending);
}

// Only the left button picks a cell; the right one opens "SELECT" and
// leaves the current cell and the selection as they are.
void ResultGridWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) QTableView::mousePressEvent(event);
    int button = 0;
    switch (event->button()) {
        case Qt::LeftButton:
            button = query::kLeftButton;
            break;
        case Qt::RightButton:
            button = query::kRightButton;
            break;
        case Qt::MiddleButton:
            button = query::kMiddleButton;
            break;
        default:
            break;
    }
    const QPoint at = event->position().toPoint();
    if (button != 0) logic_->MouseDown(button, at.x(), at.y());
}

void ResultGridWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) QTableView::mouseReleaseEvent(event);
}

// Ctrl+Tab and Ctrl+Shift+Tab reach the view as plain keys (Qt moves the
// focus on Tab only without Ctrl); they leave the grid as Tab does.
void ResultGridWidget::keyPressEvent(QKeyEvent* event) {
    if (event->keyCombination() == kOpenStudyKey) {
        openStudy(currentIndex());
        event->accept();
        return;
    }
    const int key = event->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        const bool back = key == Qt::Key_Backtab || event->modifiers().testFlag(Qt::ShiftModifier);
        QWidget::focusNextPrevChild(!back);  // the window's chain, never a cell
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

// The item view would make the first cell current whenever the focus comes
// back without one (Tab, closing "SELECT"), which counts as a row pick. The
// current cell is the user's to choose: arrow keys and clicks still do.
void ResultGridWidget::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

}  // namespace pelko::ui
