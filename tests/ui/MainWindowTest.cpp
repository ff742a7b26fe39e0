#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>

#include "app/qt/MainWindow.h"
#include "app/qt/OptionalDateEdit.h"
#include "log/Clock.h"
#include "log/Logger.h"
#include "support/FakeToolkit.h"
#include "support/TempDir.h"

namespace pelko::ui {
namespace {

using namespace std::chrono;

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
    EXPECT_FALSE(window->cmdSend->isEnabled());
    // Both pickers show today's date without a tick.
    EXPECT_EQ(window->dtpBirth->shownDate(), QDate(2026, 12, 7));
    EXPECT_FALSE(window->dtpBirth->isTicked());
    EXPECT_FALSE(window->dtpStudyDate->isTicked());
    EXPECT_EQ(window->cboSex->count(), 3);
    EXPECT_EQ(window->cboSex->itemText(0), "O");
    // Grid: window width - 250 twips, height - 4650 twips.
    EXPECT_EQ(window->gridArea->width(), Px(13500 - 250));
    EXPECT_EQ(window->gridArea->height(), Px(10005 - 4650));
    // Starting writes nothing.
    EXPECT_FALSE(std::filesystem::exists(dir / "Settings.ini"));
}

TEST_F(MainWindowTest, ClosingWritesSizeAndMarksOnly) {
    auto window = open();
    window->mnuClose->trigger();
    EXPECT_EQ(test::ReadBytes(dir / "Settings.ini"),
              "[Size]\r\nSearchHeight=10005\r\n[Active]\r\n0=0\r\n1=0\r\n2=0\r\n3=0\r\n4=0\r\n5=0\r\n6=0\r\n7=0\r\n");
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

TEST_F(MainWindowTest, ControlsAtTheirDesignedPlaces) {
    auto window = open();
    struct Place {
        QWidget* widget;
        QRect twips;
    } places[] = {
        {window->cmdToday, {45, 45, 2670, 510}},        {window->cmdSend, {8685, 45, 4470, 4200}},
        {window->fraSearch, {45, 585, 8385, 3660}},     {window->cmdNode[0], {315, 2475, 1815, 420}},
        {window->cmdNode[7], {6300, 3600, 1590, 420}},  {window->cmdMore, {7830, 3015, 285, 420}},
        {window->txtAccNum, {4140, 1800, 2490, 315}},   {window->cmdSearch, {6750, 1755, 1230, 375}},
    };
    for (const auto& p : places) {
        const QRect expected(Px(p.twips.x()), Px(p.twips.y()), Px(p.twips.width()), Px(p.twips.height()));
        EXPECT_EQ(p.widget->geometry(), expected) << p.widget->metaObject()->className();
    }
    EXPECT_TRUE(window->cmdSearch->isDefault());
    EXPECT_EQ(window->menuBar()->actions().size(), 1);
}

}  // namespace
}  // namespace pelko::ui
