#include <gtest/gtest.h>

#include <optional>

#include "app/MainWindowLogic.h"
#include "base/ActionGate.h"
#include "config/Settings.h"
#include "log/Error.h"
#include "log/Logger.h"
#include "support/FakeShell.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"

namespace pelko {
namespace {

using namespace std::chrono;

// The window's state as the steps leave it.
struct FakeWindow : MainWindowView {
    bool atTopLeft = false;
    int width = 13500, height = 10000;
    std::vector<int> heightsSet;
    bool failHeight = false;
    std::vector<std::string> gridSizes;  // "width <t>" / "height <t>" as set

    void moveToTopLeft() override { atTopLeft = true; }
    void setOuterWidthTwips(int t) override { width = t; }
    void setOuterHeightTwips(int t) override {
        if (failHeight) throw std::runtime_error("no height");
        height = t;
        heightsSet.push_back(t);
    }
    int outerWidthTwips() const override { return width; }
    int outerHeightTwips() const override { return height; }
    void setGridWidthTwips(int t) override { gridSizes.push_back("width " + std::to_string(t)); }
    void setGridHeightTwips(int t) override { gridSizes.push_back("height " + std::to_string(t)); }
};

class MainWindowLogicTest : public ::testing::Test {
protected:
    test::TempDir dir;
    FixedClock clock{{year_month_day{year{2026}, month{12}, day{7}}, 10, 12, 12}};
    Logger logger{dir.path(), clock, "de_DE"};
    test::FakeShell shell;
    ErrorReporter errors{logger, shell};
    config::AppSettings record;
    config::Settings settings{dir.path(), record, errors};
    FakeWindow window;

    // The later start-up steps fail with these when set; closing saves the
    // mark of node button 1.
    MainWindowLogic::Hooks hooks(std::optional<Error> grid = {}, std::optional<Error> nodes = {}) {
        auto failing = [](std::optional<Error> e) {
            return [e] {
                if (e) throw *e;
            };
        };
        return {failing(grid), failing(nodes), [this] { (void)settings.WriteSavedMark(0, true); }};
    }
    std::string errorLog() const { return test::ReadBytes(dir / "Logs/Error.log"); }
};

TEST_F(MainWindowLogicTest, StartUpSetsUpTheWindow) {
    MainWindowLogic logic(window, shell, settings, errors, hooks());
    logic.Load();
    EXPECT_EQ(shell.caption(), "Pelko");
    EXPECT_TRUE(window.atTopLeft);
    EXPECT_EQ(window.width, 13500);
    EXPECT_EQ(window.height, 10000);
    EXPECT_TRUE(shell.messages.empty());
}

struct HeightCase {
    const char* ini;
    std::vector<int> heightsSet;
};

class StartHeightTest : public MainWindowLogicTest, public ::testing::WithParamInterface<HeightCase> {};

TEST_P(StartHeightTest, HeightComesFromTheSettings) {
    if (*GetParam().ini) test::WriteBytes(dir / "Settings.ini", GetParam().ini);
    MainWindowLogic logic(window, shell, settings, errors, hooks());
    logic.Load();
    EXPECT_EQ(window.heightsSet, GetParam().heightsSet);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StartHeightTest,
    ::testing::Values(HeightCase{"", {10000}}, HeightCase{"[Size]\r\nSearchHeight=6000\r\n", {6000}},
                      HeightCase{"[Size]\r\nSearchHeight=abc\r\n", {}},  // keeps the designed height
                      HeightCase{"[size]\r\nsearchheight= 8000 \r\n", {8000}},
                      HeightCase{"[Size]\r\nSearchHeight=\r\n", {}},
                      // beyond any window: the default, without overflow
                      HeightCase{"[Size]\r\nSearchHeight=2147483647\r\n", {10000}},
                      HeightCase{"[Size]\r\nSearchHeight=-2147483648\r\n", {10000}}));

// A failed height is skipped silently; the start-up goes on to the node
// buttons, whose failure is the only one reported.
TEST_F(MainWindowLogicTest, EarlyFailuresAreSkippedSilently) {
    window.failHeight = true;
    MainWindowLogic logic(window, shell, settings, errors, hooks({}, Error(5, "No nodes")));
    logic.Load();
    EXPECT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(errorLog(), "07.12.2026 10:12:12 - 5 - No nodes - Form_Load\r\n");
}

TEST_F(MainWindowLogicTest, LaterFailureIsLoggedAsFormLoadAndEndsTheStartUp) {
    MainWindowLogic logic(window, shell, settings, errors,
                          hooks(Error(380, "Invalid property value"), Error(5, "No nodes")));
    logic.Load();
    EXPECT_EQ(shell.messages, std::vector<std::string>{
                                  "error: There was an error.\nRead the log file for more information."});
    EXPECT_EQ(errorLog(), "07.12.2026 10:12:12 - 380 - Invalid property value - Form_Load\r\n");
}

struct ResizeCase {
    int width, height;
    std::vector<std::string> gridSizes;
};

class ResizeTest : public MainWindowLogicTest, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(ResizeTest, GridFollowsTheWindowAndSkipsNegativeSizes) {
    MainWindowLogic logic(window, shell, settings, errors, hooks());
    window.width = GetParam().width;
    window.height = GetParam().height;
    logic.Resized();
    EXPECT_EQ(window.gridSizes, GetParam().gridSizes);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ResizeTest,
                         ::testing::Values(ResizeCase{13500, 10000, {"width 13250", "height 5350"}},
                                           ResizeCase{13500, 4000, {"width 13250"}},
                                           ResizeCase{200, 4650, {"height 0"}}));

TEST_F(MainWindowLogicTest, UnloadWritesHeightAndMarks) {
    MainWindowLogic logic(window, shell, settings, errors, hooks());
    window.height = 10005;
    logic.Unload();
    EXPECT_EQ(test::ReadBytes(dir / "Settings.ini"), "[Size]\r\nSearchHeight=10005\r\n[Active]\r\n0=1\r\n");
}

TEST(ActionGateTest, RefusesNestedActionsAndDefersClose) {
    ActionGate gate;
    int closes = 0;
    {
        auto outer = gate.tryEnter();
        ASSERT_TRUE(outer);
        EXPECT_FALSE(gate.tryEnter());
        gate.requestClose([&] { ++closes; });
        EXPECT_EQ(closes, 0);
        EXPECT_TRUE(gate.closePending());
    }
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(gate.busy());
    gate.requestClose([&] { ++closes; });
    EXPECT_EQ(closes, 2);
}

}  // namespace
}  // namespace pelko
