// A date picker with a tick box: unticked means "no date".
#pragma once

#include <QCheckBox>
#include <QDateEdit>
#include <QWidget>
#include <optional>

namespace pelko::ui {

class OptionalDateEdit : public QWidget {
    Q_OBJECT
public:
    explicit OptionalDateEdit(QWidget* parent = nullptr);

    // The date when ticked, nothing otherwise.
    std::optional<QDate> value() const;
    // A date ticks the box; nothing clears the tick and keeps the shown date.
    void setValue(const std::optional<QDate>& date);
    QDate shownDate() const { return edit_->date(); }
    void setShownDate(const QDate& date) { edit_->setDate(date); }
    bool isTicked() const { return tick_->isChecked(); }
    void setTicked(bool ticked) { tick_->setChecked(ticked); }

    QCheckBox* tickBox() const { return tick_; }
    QDateEdit* dateEdit() const { return edit_; }

private:
    QCheckBox* tick_;
    QDateEdit* edit_;
};

}  // namespace pelko::ui
