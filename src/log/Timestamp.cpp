#include "log/Timestamp.h"

#include <QDate>
#include <QLocale>
#include <QTime>

namespace pelko {
namespace {

// The long time format without its time-zone part ("t", with the blank
// before it), since log lines carry local time only.
QString LongTimeFormatWithoutZone(const QLocale& locale) {
    QString fmt = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < fmt.size(); ++i) {
        const QChar c = fmt[i];
        if (c == u'\'') quoted = !quoted;
        if (!quoted && c == u't') {
            while (i + 1 < fmt.size() && fmt[i + 1] == u't') ++i;
            continue;
        }
        out.append(c);
    }
    return out.trimmed();
}

// The short date with a four-digit year, as workstations show it
// ("07.12.2026" rather than CLDR's "07.12.26").
QString ShortDateFormat(const QLocale& locale) {
    QString fmt = locale.dateFormat(QLocale::ShortFormat);
    if (!fmt.contains(QLatin1String("yyyy"))) fmt.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return fmt;
}

}  // namespace

std::string FormatGeneralDate(const LocalDateTime& t, const std::string& localeName) {
    const QLocale locale =
        localeName.empty() ? QLocale::system() : QLocale(QString::fromStdString(localeName));
    const QDate date(static_cast<int>(t.date.year()), static_cast<int>(static_cast<unsigned>(t.date.month())),
                     static_cast<int>(static_cast<unsigned>(t.date.day())));
    QString text = locale.toString(date, ShortDateFormat(locale));
    if (t.hour != 0 || t.minute != 0 || t.second != 0) {
        text += u' ';
        text += locale.toString(QTime(t.hour, t.minute, t.second), LongTimeFormatWithoutZone(locale));
    }
    // Newer CLDR data (Qt 6.8) puts a narrow no-break space before "PM";
    // the log files are ISO-8859-1, which has no such character.
    for (QChar& c : text) {
        if (c.category() == QChar::Separator_Space) c = u' ';
    }
    return text.toStdString();
}

}  // namespace pelko
