#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

#include "app/qt/MainWindow.h"
#include "log/Logger.h"
#include "query/qt/OptionalDateEdit.h"
#include "support/FakeToolkit.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"
#include "ui/Controls.h"

namespace pelko::ui {
namespace {

using namespace std::chrono;
using test::Control;

class MainWindowTest : public ::testing::Test {
protected:
    test::TempDir dir;
    FixedClock clock{{year_month_day{year{2026}, month{12}, day{7}}, 10, 12, 12}};
    Logger logger{dir.path(), clock, "de_DE"};
    test::FakeToolkit toolkit;

    std::unique_ptr<MainWindow> open() {
        auto window = std::make_unique<MainWindow>(AppServices{dir.path(), clock, logger, toolkit});
        window->load();
        window->show();
        QApplication::processEvents();
        return window;
    }
};

TEST_F(MainWindowTest, FirstStartWithoutSettingsFile) {
    auto window = open();
    EXPECT_EQ(window->windowTitle(), "Pelko");
    EXPECT_EQ(window->frameGeometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(window->frameGeometry().size(), QSize(900, 667));
    EXPECT_FALSE(Control<QPushButton>(window.get(), "cmdSend")->isEnabled());
    // Both pickers show today's date without a tick.
    EXPECT_EQ(Control<ui::OptionalDateEdit>(window.get(), "dtpBirth")->shownDate(), QDate(2026, 12, 7));
    EXPECT_FALSE(Control<ui::OptionalDateEdit>(window.get(), "dtpBirth")->isTicked());
    EXPECT_FALSE(Control<ui::OptionalDateEdit>(window.get(), "dtpStudyDate")->isTicked());
    EXPECT_EQ(Control<QComboBox>(window.get(), "cboSex")->count(), 3);
    EXPECT_EQ(Control<QComboBox>(window.get(), "cboSex")->itemText(0), "O");
    // Starting writes nothing.
    EXPECT_FALSE(std::filesystem::exists(dir / "Settings.ini"));
}

TEST_F(MainWindowTest, ClosingWritesSizeAndMarksOnly) {
    auto window = open();
    Control<QAction>(window.get(), "mnuClose")->trigger();
    EXPECT_EQ(test::ReadBytes(dir / "Settings.ini"),
              "[Size]\r\nSearchHeight=10005\r\n[Active]\r\n0=0\r\n1=0\r\n2=0\r\n3=0\r\n4=0\r\n5=0\r\n6="
              "0\r\n7=0\r\n");
}

// File, "Test connection" after "Settings": one C-ECHO through the window's
// toolkit, answered in a message box.
TEST_F(MainWindowTest, TestConnectionEchoesTheArchiveAndAnswersInABox) {
    test::WriteBytes(dir / "Settings.ini", "[Query]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort=104\r\n");
    auto window = open();
    QStringList items;
    for (QAction* a : Control<QMenu>(window.get(), "mnuFile")->actions()) items << a->text();
    EXPECT_EQ(items, (QStringList{"Close", "Settings", "Test connection"}));

    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    Control<QAction>(window.get(), "mnuTestConnection")->trigger();

    ASSERT_EQ(toolkit.echoes.size(), 1u);
    EXPECT_EQ(toolkit.echoes[0].calledAET, "ARCHIVE");
    EXPECT_TRUE(shown.startsWith("The archive answered in ")) << shown.toStdString();
}

// Message A word for word, the logged error and Error.log's path behind it.
TEST_F(MainWindowTest, MessageAHasTheLoggedErrorAsDetails) {
    auto window = open();
    QString text, details;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            details = box->detailedText();
            box->accept();
        }
    });
    Control<QAction>(window.get(), "mnuTestConnection")->trigger();  // without Settings.ini
    EXPECT_EQ(text, "There was an error.\nRead the log file for more information.");
    EXPECT_EQ(details, "0 - Settings.ini is not available\n\nLog file: " +
                           QString::fromStdString(logger.errorLog().string()));
}

TEST_F(MainWindowTest, StartHeightFromSettings) {
    test::WriteBytes(dir / "Settings.ini", "[Size]\r\nSearchHeight=6000\r\n");
    auto window = open();
    EXPECT_EQ(window->frameGeometry().height(), 400);
    EXPECT_EQ(window->frameGeometry().width(), 900);
}

TEST_F(MainWindowTest, CloseRequestDuringAnActionWaitsForItsEnd) {
    auto window = open();
    {
        auto pass = window->gate().tryEnter();
        window->close();
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(std::filesystem::exists(dir / "Settings.ini"));
    }
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(std::filesystem::exists(dir / "Settings.ini"));
}

// While an action holds the gate (a search or a send waiting for the
// network lets events run), every other click of the window is refused: no
// second network call starts and no mark or menu changes.
TEST_F(MainWindowTest, ClicksDuringAnActionAreRefused) {
    std::string ini = "[Query]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort=104\r\n[Forward]\r\n";
    for (int i = 0; i < 9; ++i) ini += "Node" + std::to_string(i) + "=N" + std::to_string(i) + "|AE\r\n";
    test::WriteBytes(dir / "Settings.ini", ini);
    auto window = open();
    Control<QLineEdit>(window.get(), "txtName2")->setText("Smith");
    auto* node = Control<QPushButton>(window.get(), "cmdNode0");
    auto* nodes = Control<QMenu>(window.get(), "mnuNodes");
    {
        auto pass = window->gate().tryEnter();
        for (const char* name : {"cmdSearch", "cmdToday", "cmdYesterday", "cmdWeek", "cmdNode0", "cmdMore"}) {
            Control<QPushButton>(window.get(), name)->click();
        }
        Control<QAction>(window.get(), "mnuTestConnection")->trigger();
        QApplication::processEvents();
        EXPECT_EQ(toolkit.queryAssociations, 0);
        EXPECT_TRUE(toolkit.echoes.empty());
        EXPECT_FALSE(node->font().bold()) << "a node was marked";
        EXPECT_FALSE(nodes->isVisible()) << "the node menu opened";
    }
    node->click();
    EXPECT_TRUE(node->font().bold()) << "the click after the action was refused";
}

// Where each control is on the window's client area, in pixels: frame and
// panel offsets (45, 585) and (135, 225) twips are added as placed. The
// focus order is pressed through in FocusOrderTest.
TEST_F(MainWindowTest, ControlsAtTheirDesignedPlaces) {
    auto window = open();
    const QWidget* client = window->centralWidget();
    struct Place {
        const char* name;
        QPoint at;  // pixels on the client area
        QSize twips;
    };
    const int frameX = Px(45), frameY = Px(585);
    const int panelX = frameX + Px(135), panelY = frameY + Px(225);
    const Place places[] = {
        {"cmdToday", {Px(45), Px(45)}, {2670, 510}},
        {"cmdYesterday", {Px(2925), Px(45)}, {2625, 510}},
        {"cmdWeek", {Px(5760), Px(45)}, {2670, 510}},
        {"cmdSend", {Px(8685), Px(45)}, {4470, 4200}},
        {"fraSearch", {frameX, frameY}, {8385, 3660}},
        {"cmdNode0", {frameX + Px(315), frameY + Px(2475)}, {1815, 420}},
        {"cmdNode3", {frameX + Px(6255), frameY + Px(2475)}, {1860, 420}},
        {"cmdNode6", {frameX + Px(4275), frameY + Px(3015)}, {1860, 420}},
        {"cmdNode7", {Px(6300), Px(3600)}, {1590, 420}},
        {"cmdMore", {frameX + Px(7830), frameY + Px(3015)}, {285, 420}},
        {"txtName2", {panelX + Px(180), panelY + Px(360)}, {2940, 330}},
        {"txtAccNum", {panelX + Px(4140), panelY + Px(1800)}, {2490, 315}},
        {"cmdSearch", {panelX + Px(6750), panelY + Px(1755)}, {1230, 375}},
        {"gridArea", {Px(45), Px(4320)}, {13500 - 250, 10005 - 4650}},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        const QWidget* w = Control<QWidget>(window.get(), p.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->mapTo(client, QPoint(0, 0)), p.at);
        EXPECT_EQ(w->size(), QSize(Px(p.twips.width()), Px(p.twips.height())));
    }
    EXPECT_TRUE(Control<QPushButton>(window.get(), "cmdSearch")->isDefault());
    EXPECT_EQ(window->menuBar()->actions().size(), 1);
}

}  // namespace
}  // namespace pelko::ui
