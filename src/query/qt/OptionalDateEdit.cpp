#include "query/qt/OptionalDateEdit.h"

#include <QHBoxLayout>

namespace pelko::ui {

OptionalDateEdit::OptionalDateEdit(QWidget* parent)
    : QWidget(parent), tick_(new QCheckBox(this)), edit_(new QDateEdit(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(tick_);
    layout->addWidget(edit_, 1);
    edit_->setCalendarPopup(true);
    edit_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    edit_->setEnabled(false);
    setFocusProxy(tick_);
    connect(tick_, &QCheckBox::toggled, edit_, &QWidget::setEnabled);
}

std::optional<QDate> OptionalDateEdit::value() const {
    if (!tick_->isChecked()) return std::nullopt;
    return edit_->date();
}

void OptionalDateEdit::setValue(const std::optional<QDate>& date) {
    if (date) {
        const QSignalBlocker block(edit_);
        edit_->setDate(*date);
    }
    tick_->setChecked(date.has_value());
}

}  // namespace pelko::ui
