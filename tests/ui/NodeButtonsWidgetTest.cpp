// The node buttons, the "..." menu and the Send button bound to the main
// window, on the offscreen platform.
#include <gtest/gtest.h>

#include <QImage>
#include <QMenu>
#include <QPushButton>

#include "app/qt/MainWindow.h"
#include "config/IniFile.h"
#include "log/Logger.h"
#include "support/FakeToolkit.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"
#include "ui/Controls.h"

namespace pelko::test {
namespace {

bool Bold(const QPushButton* b) {
    return b->font().bold();
}

// The face colour beside the caption.
QColor Face(QPushButton* b) {
    return b->grab().toImage().pixelColor(5, b->height() / 2);
}

const QColor kGreen(0, 255, 0);

QStringList ShownItems(const QMenu* menu) {
    QStringList r;
    for (const QAction* a : menu->actions()) {
        if (a->isVisible()) r << a->text();
    }
    return r;
}

TEST(NodeButtonsWidget, ButtonsMarksMenuAndSend) {
    TempDir dir;
    std::string ini = "[Forward]\r\n";
    for (int i = 0; i < 10; ++i) {
        ini += "Node" + std::to_string(i) + "=Alias" + std::to_string(i) + "|AE" + std::to_string(i) + "\r\n";
    }
    WriteBytes(dir / "Settings.ini", ini + "[Active]\r\n1=1\r\n");
    FixedClock clock(LocalDateTime{std::chrono::year{2026} / 3 / 9, 10, 0, 0});
    Logger logger(dir.path(), clock);
    FakeToolkit kit;
    ui::MainWindow w({dir.path(), clock, logger, kit});
    w.load();
    w.show();

    // Every slot and "..." shown for ten nodes.
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        QPushButton* b = Control<QPushButton>(&w, QStringLiteral("cmdNode%1").arg(i));
        EXPECT_FALSE(b->isHidden());
        EXPECT_EQ(b->text(), QStringLiteral("Alias%1").arg(i));
    }
    EXPECT_FALSE(Control<QPushButton>(&w, "cmdMore")->isHidden());

    // The mark saved at the last close, then clicks.
    EXPECT_TRUE(Bold(Control<QPushButton>(&w, QStringLiteral("cmdNode%1").arg(1))));
    EXPECT_EQ(Face(Control<QPushButton>(&w, QStringLiteral("cmdNode%1").arg(1))), kGreen);
    QPushButton* b0 = Control<QPushButton>(&w, QStringLiteral("cmdNode%1").arg(0));
    EXPECT_FALSE(Bold(b0));
    EXPECT_NE(Face(b0), kGreen);
    b0->click();
    EXPECT_TRUE(Bold(b0));
    EXPECT_EQ(Face(b0), kGreen);
    b0->click();
    EXPECT_FALSE(Bold(b0));
    EXPECT_NE(Face(b0), kGreen);

    // "...": the nodes from the eighth on; opened twice, listed once.
    Control<QPushButton>(&w, "cmdMore")->click();
    Control<QMenu>(&w, "mnuNodes")->hide();
    Control<QPushButton>(&w, "cmdMore")->click();
    EXPECT_TRUE(Control<QMenu>(&w, "mnuNodes")->isVisible());
    EXPECT_EQ(ShownItems(Control<QMenu>(&w, "mnuNodes")), (QStringList{"Alias7", "Alias8", "Alias9"}));
    EXPECT_FALSE(Control<QAction>(&w, "mnuEmpty0")->isVisible());
    QAction* node9 = Control<QMenu>(&w, "mnuNodes")->actions().last();
    Control<QMenu>(&w, "mnuNodes")->hide();
    node9->trigger();
    EXPECT_EQ(Control<QPushButton>(&w, QStringLiteral("cmdNode%1").arg(7))->text(), QStringLiteral("Alias9"));
    EXPECT_TRUE(Bold(Control<QPushButton>(&w, QStringLiteral("cmdNode%1").arg(7))));
    EXPECT_EQ(Face(Control<QPushButton>(&w, QStringLiteral("cmdNode%1").arg(7))), kGreen);

    // Send with no node marked: nothing goes out, the button is disabled.
    Control<QPushButton>(&w, QStringLiteral("cmdNode%1").arg(1))->click();
    Control<QPushButton>(&w, QStringLiteral("cmdNode%1").arg(7))->click();
    Control<QPushButton>(&w, "cmdSend")->setEnabled(true);
    Control<QPushButton>(&w, "cmdSend")->click();
    EXPECT_FALSE(Control<QPushButton>(&w, "cmdSend")->isEnabled());
    EXPECT_EQ(kit.queryAssociations, 0);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Pelko"));

    // Closing saves the marks.
    Control<QPushButton>(&w, QStringLiteral("cmdNode%1").arg(2))->click();
    w.close();
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(config::ReadIni("Active", std::to_string(i), "", dir / "Settings.ini"), i == 2 ? "1" : "0");
    }
}

}  // namespace
}  // namespace pelko::test
