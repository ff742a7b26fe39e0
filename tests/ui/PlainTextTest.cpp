// What an archive sends is read as the text it is, never as markup.
#include <gtest/gtest.h>

#include <QTextDocument>

#include "base/qt/QtSupport.h"

namespace pelko::ui {
namespace {

class PlainToolTipTest : public testing::TestWithParam<const char*> {};

TEST_P(PlainToolTipTest, ShowsTheTextAsItIs) {
    const QString text = QString::fromUtf8(GetParam());
    const QString tip = PlainToolTip(text);
    QTextDocument shown;
    if (Qt::mightBeRichText(tip)) {
        shown.setHtml(tip);
    } else {
        shown.setPlainText(tip);
    }
    EXPECT_EQ(shown.toPlainText().toStdString(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(, PlainToolTipTest,
                         testing::Values("DOE JOHN <font size=7 color=red>SMITH JANE</font>", "<b>CT</b>",
                                         "A & B <i>", "DOE^JOHN", "Chest  &amp;  Abdomen"));

}  // namespace
}  // namespace pelko::ui
