#include "query/qt/QtSearchPanelView.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

#include "app/qt/MainWindow.h"
#include "app/qt/OptionalDateEdit.h"

namespace pelko::ui {
namespace {

std::optional<std::chrono::year_month_day> FromQDate(const std::optional<QDate>& date) {
    if (!date || !date->isValid()) return std::nullopt;
    return std::chrono::year_month_day{std::chrono::year{date->year()},
                                       std::chrono::month{static_cast<unsigned>(date->month())},
                                       std::chrono::day{static_cast<unsigned>(date->day())}};
}

std::optional<QDate> ToQDate(const std::optional<std::chrono::year_month_day>& date) {
    if (!date) return std::nullopt;
    return QDate(static_cast<int>(date->year()), static_cast<int>(static_cast<unsigned>(date->month())),
                 static_cast<int>(static_cast<unsigned>(date->day())));
}

}  // namespace

// --- panel

std::string QtSearchPanelView::text(query::SearchField field) const {
    using F = query::SearchField;
    MainWindow& w = window_;
    switch (field) {
        case F::Name1:
            return w.txtName1->text().toStdString();
        case F::Name2:
            return w.txtName2->text().toStdString();
        case F::PatName:
            return w.txtPatName->text().toStdString();
        case F::PatID:
            return w.txtPatID->text().toStdString();
        case F::Sex:
            return w.cboSex->currentText().toStdString();
        case F::StudyDesc:
            return w.txtStudyDesc->text().toStdString();
        case F::AccNum:
            return w.txtAccNum->text().toStdString();
    }
    return {};
}

void QtSearchPanelView::setText(query::SearchField field, const std::string& text) {
    using F = query::SearchField;
    MainWindow& w = window_;
    const QString value = QString::fromStdString(text);
    switch (field) {
        case F::Name1:
            w.txtName1->setText(value);
            break;
        case F::Name2:
            w.txtName2->setText(value);
            break;
        case F::PatName:
            w.txtPatName->setText(value);
            break;
        case F::PatID:
            w.txtPatID->setText(value);
            break;
        case F::Sex:
            w.cboSex->setEditText(value);
            break;
        case F::StudyDesc:
            w.txtStudyDesc->setText(value);
            break;
        case F::AccNum:
            w.txtAccNum->setText(value);
            break;
    }
}

std::optional<std::chrono::year_month_day> QtSearchPanelView::birthDate() const {
    return FromQDate(window_.dtpBirth->value());
}

std::optional<std::chrono::year_month_day> QtSearchPanelView::studyDate() const {
    return FromQDate(window_.dtpStudyDate->value());
}

void QtSearchPanelView::setStudyDate(std::optional<std::chrono::year_month_day> date) {
    window_.dtpStudyDate->setValue(ToQDate(date));
}

std::string QtSearchPanelView::studyDateRange() const {
    return window_.dtpStudyDate->freeText().toStdString();
}

void QtSearchPanelView::setStudyDateRange(const std::string& range) {
    window_.dtpStudyDate->setFreeText(QString::fromStdString(range));
}

void QtSearchPanelView::focusSearchButton() {
    window_.cmdSearch->setFocus();
}

// --- sex key filter

SexKeyFilter::SexKeyFilter(QComboBox* field, std::function<void()> onEnter)
    : QObject(field), field_(field), onEnter_(std::move(onEnter)) {}

bool SexKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    int code = 0;
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (field_->view()->isVisible()) return false;  // picks from the open list
            if (onEnter_) onEnter_();
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
        case Qt::Key_Delete:
            return false;
        case Qt::Key_Backspace:
            code = query::kBackspace;
            break;
        default:
            // Keys without a character (arrows, F4, ...) only move or open
            // the list.
            if (key->text().isEmpty()) return false;
            code = key->text().at(0).unicode();
            break;
    }
    const query::SexKeyResult result = query::FilterSexKey(code);
    if (result.text) field_->setEditText(QString::fromStdString(*result.text));
    if (QLineEdit* edit = field_->lineEdit()) edit->setCursorPosition(1);
    return result.key == 0;
}

// --- "SELECT"

void QtSelectMenu::popUpSelectMenu(int x, int y) {
    menu_->popup(grid_->mapToGlobal(QPoint(x, y)));
}

}  // namespace pelko::ui
