// Small pieces every window of the program shares: text and dates at the
// edge to Qt, the designed fonts and places, and the message boxes.
#pragma once

#include <QDate>
#include <QFont>
#include <QRect>
#include <QString>
#include <chrono>
#include <optional>
#include <string>

class QWidget;

namespace pelko::ui {

inline QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QFont Font(const QString& family, double points, bool bold = false);
// The font of the designed forms.
inline QFont Tahoma(double points, bool bold = false) {
    return Font(QStringLiteral("Tahoma"), points, bold);
}

// A designed rectangle, given in twips, in pixels.
QRect Twips(int left, int top, int width, int height);

// Message boxes titled with the program's name, with an OK button: an error
// icon, or an information icon.
void ShowError(QWidget* owner, const std::string& text);
// With `details` behind "Show Details...".
void ShowError(QWidget* owner, const std::string& text, const std::string& details);
void ShowInfo(QWidget* owner, const std::string& text);
// A tooltip that shows `text` as it is: Qt renders a tooltip as rich text
// when it merely looks like markup.
QString PlainToolTip(const QString& text);

QDate ToQDate(std::chrono::year_month_day date);
// nullopt for no date or an invalid one.
std::optional<std::chrono::year_month_day> FromQDate(const std::optional<QDate>& date);

}  // namespace pelko::ui
