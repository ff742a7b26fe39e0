// What an archive sends is read as the text it is, never as markup.
#include <gtest/gtest.h>

#include <QTextDocument>

#include "base/qt/QtSupport.h"

namespace pelko::ui {
namespace {

TEST(PlainToolTip, ShowsTheTextAsItIs) {
    for (const char* text : {"DOE JOHN <font size=7 color=red>SMITH JANE</font>", "<b>CT</b>", "A & B <i>",
                             "DOE^JOHN", "Chest  &amp;  Abdomen"}) {
        const QString tip = PlainToolTip(QString::fromUtf8(text));
        QTextDocument shown;
        Qt::mightBeRichText(tip) ? shown.setHtml(tip) : shown.setPlainText(tip);
        EXPECT_EQ(shown.toPlainText().toStdString(), text);
    }
}

}  // namespace
}  // namespace pelko::ui
