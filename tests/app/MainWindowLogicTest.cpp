#include <gtest/gtest.h>

#include "base/ActionGate.h"
#include "app/MainWindowLogic.h"
#include "config/Settings.h"
#include "log/Error.h"
#include "log/Logger.h"
#include "support/FakeShell.h"
#include "support/TempDir.h"

namespace pelko {
namespace {

using namespace std::chrono;

// Records every call of the start-up, resize and close steps in order.
struct FakeWindow : MainWindowView {
    std::vector<std::string> calls;
    int width = 13500, height = 10000;
    bool failHeight = false;

    void moveToTopLeft() override { calls.push_back("move 0,0"); }
    void setOuterWidthTwips(int t) override {
        width = t;
        calls.push_back("width " + std::to_string(t));
    }
    void setOuterHeightTwips(int t) override {
        if (failHeight) throw std::runtime_error("no height");
        height = t;
        calls.push_back("height " + std::to_string(t));
    }
    int outerWidthTwips() const override { return width; }
    int outerHeightTwips() const override { return height; }
    void setGridWidthTwips(int t) override { calls.push_back("grid width " + std::to_string(t)); }
    void setGridHeightTwips(int t) override { calls.push_back("grid height " + std::to_string(t)); }
    void setDatePickersTo(year_month_day d) override {
        calls.push_back("pickers " + std::to_string(static_cast<unsigned>(d.day())));
    }
    void fillSexList(const std::vector<std::string>& items) override {
        std::string s = "sex";
        for (const auto& i : items) s += " " + i;
        calls.push_back(s);
    }
    void clearDatePickerTicks() override { calls.push_back("untick"); }
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
    std::vector<std::string> hookCalls;

    MainWindowLogic::Hooks hooks() {
        return {[this] { window.calls.push_back("configGrid"); },
                [this] { window.calls.push_back("configButton"); },
                [this] { window.calls.push_back("saveActive"); }};
    }
};

TEST_F(MainWindowLogicTest, StartUpStepsRunInOrder) {
    MainWindowLogic logic(window, shell, settings, errors, clock, hooks());
    logic.Load();
    EXPECT_EQ(shell.caption(), "Pelko");
    EXPECT_EQ(window.calls, (std::vector<std::string>{"pickers 7", "move 0,0", "width 13500", "height 10000",
                                                      "sex O M F", "untick", "configGrid", "configButton"}));
}

struct HeightCase {
    const char* ini;
    std::vector<std::string> heightCalls;
};

class StartHeightTest : public MainWindowLogicTest, public ::testing::WithParamInterface<HeightCase> {};

TEST_P(StartHeightTest, HeightComesFromTheSettings) {
    if (*GetParam().ini) test::WriteBytes(dir / "Settings.ini", GetParam().ini);
    MainWindowLogic logic(window, shell, settings, errors, clock, hooks());
    logic.Load();
    std::vector<std::string> heights;
    for (const auto& c : window.calls) {
        if (c.rfind("height ", 0) == 0) heights.push_back(c);
    }
    EXPECT_EQ(heights, GetParam().heightCalls);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StartHeightTest,
    ::testing::Values(HeightCase{"", {"height 10000"}},
                      HeightCase{"[Size]\r\nSearchHeight=6000\r\n", {"height 6000"}},
                      HeightCase{"[Size]\r\nSearchHeight=abc\r\n", {}},  // keeps the designed height
                      HeightCase{"[size]\r\nsearchheight= 8000 \r\n", {"height 8000"}},
                      HeightCase{"[Size]\r\nSearchHeight=\r\n", {}}));

TEST_F(MainWindowLogicTest, EarlyFailuresAreSkippedSilently) {
    window.failHeight = true;
    MainWindowLogic logic(window, shell, settings, errors, clock, hooks());
    logic.Load();
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(window.calls.back(), "configButton");
}

TEST_F(MainWindowLogicTest, LaterFailureIsLoggedAsFormLoadAndEndsTheStartUp) {
    auto h = hooks();
    h.configGrid = [] { throw Error(380, "Invalid property value"); };
    MainWindowLogic logic(window, shell, settings, errors, clock, h);
    logic.Load();
    EXPECT_EQ(window.calls.back(), "untick");  // configButton never ran
    EXPECT_EQ(shell.messages,
              std::vector<std::string>{"error: There was an error.\nRead the log file for more information."});
    EXPECT_EQ(test::ReadBytes(dir / "Logs/Error.log"),
              "07.12.2026 10:12:12 - 380 - Invalid property value - Form_Load\r\n");
}

struct ResizeCase {
    int width, height;
    std::vector<std::string> calls;
};

class ResizeTest : public MainWindowLogicTest, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(ResizeTest, GridFollowsTheWindowAndSkipsNegativeSizes) {
    MainWindowLogic logic(window, shell, settings, errors, clock, hooks());
    window.width = GetParam().width;
    window.height = GetParam().height;
    logic.Resized();
    EXPECT_EQ(window.calls, GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ResizeTest,
                         ::testing::Values(ResizeCase{13500, 10000, {"grid width 13250", "grid height 5350"}},
                                           ResizeCase{13500, 4000, {"grid width 13250"}},
                                           ResizeCase{200, 4650, {"grid height 0"}}));

TEST_F(MainWindowLogicTest, UnloadWritesHeightThenMarks) {
    MainWindowLogic logic(window, shell, settings, errors, clock, hooks());
    window.height = 10005;
    logic.Unload();
    EXPECT_EQ(window.calls, std::vector<std::string>{"saveActive"});
    EXPECT_EQ(test::ReadBytes(dir / "Settings.ini"), "[Size]\r\nSearchHeight=10005\r\n");
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
