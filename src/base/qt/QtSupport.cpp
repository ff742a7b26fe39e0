#include "base/qt/QtSupport.h"

#include <QMessageBox>
#include <QTextDocument>

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

namespace {

// A message may carry what an archive sent (a patient name, an Error
// Comment): it is shown as the text it is, never as markup that Qt guessed.
void ShowMessage(QWidget* owner, QMessageBox::Icon icon, const std::string& text) {
    QMessageBox box(icon, QString::fromUtf8(kAppTitle), Q(text), QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace

void ShowError(QWidget* owner, const std::string& text) {
    ShowMessage(owner, QMessageBox::Critical, text);
}

void ShowError(QWidget* owner, const std::string& text, const std::string& details) {
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kAppTitle), Q(text), QMessageBox::Ok, owner);
    box.setDetailedText(Q(details));
    box.exec();
}

void ShowInfo(QWidget* owner, const std::string& text) {
    ShowMessage(owner, QMessageBox::Information, text);
}

QString PlainToolTip(const QString& text) {
    if (!Qt::mightBeRichText(text)) return text;
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
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
