#include "base/qt/QtSupport.h"

#include <QMessageBox>

#include "base/Shell.h"
#include "base/Twips.h"

namespace pelko::ui {

QFont Font(const QString& family, double points, bool bold) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QRect Twips(int left, int top, int width, int height) {
    return {Px(left), Px(top), Px(width), Px(height)};
}

void ShowError(QWidget* owner, const std::string& text) {
    QMessageBox::critical(owner, QString::fromUtf8(kAppTitle), Q(text));
}

void ShowError(QWidget* owner, const std::string& text, const std::string& details) {
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kAppTitle), Q(text), QMessageBox::Ok, owner);
    box.setDetailedText(Q(details));
    box.exec();
}

void ShowInfo(QWidget* owner, const std::string& text) {
    QMessageBox::information(owner, QString::fromUtf8(kAppTitle), Q(text));
}

QDate ToQDate(std::chrono::year_month_day date) {
    return {static_cast<int>(date.year()), static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day()))};
}

std::optional<std::chrono::year_month_day> FromQDate(const std::optional<QDate>& date) {
    if (!date || !date->isValid()) return std::nullopt;
    return std::chrono::year_month_day{std::chrono::year{date->year()},
                                       std::chrono::month{static_cast<unsigned>(date->month())},
                                       std::chrono::day{static_cast<unsigned>(date->day())}};
}

}  // namespace pelko::ui
