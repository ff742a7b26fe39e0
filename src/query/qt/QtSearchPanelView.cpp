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

query::SearchCriteria QtSearchPanelView::criteria() const {
    const MainWindow& w = window_;
    query::SearchCriteria c;
    c.lastName = w.txtName2->text().toStdString();
    c.firstName = w.txtName1->text().toStdString();
    c.patientId = w.txtPatID->text().toStdString();
    c.sex = w.cboSex->currentText().toStdString();
    c.birthDate = FromQDate(w.dtpBirth->value());
    if (const auto day = FromQDate(w.dtpStudyDate->value())) c.studyDates = query::StudyDates{*day, std::nullopt};
    c.studyDescription = w.txtStudyDesc->text().toStdString();
    c.accessionNumber = w.txtAccNum->text().toStdString();
    return c;
}

void QtSearchPanelView::setText(query::SearchField field, const std::string& text) {
    using F = query::SearchField;
    MainWindow& w = window_;
    const QString value = QString::fromStdString(text);
    switch (field) {
        case F::FirstName:
            w.txtName1->setText(value);
            break;
        case F::LastName:
            w.txtName2->setText(value);
            break;
        case F::PatientId:
            w.txtPatID->setText(value);
            break;
        case F::AccessionNumber:
            w.txtAccNum->setText(value);
            break;
    }
}

void QtSearchPanelView::setStudyDate(std::optional<std::chrono::year_month_day> date) {
    window_.dtpStudyDate->setValue(ToQDate(date));
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
