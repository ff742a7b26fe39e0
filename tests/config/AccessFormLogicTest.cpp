#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/ActionGate.h"
#include "config/AccessFormLogic.h"

namespace pelko::config {
namespace {

class FakeAccessView : public AccessFormView {
public:
    explicit FakeAccessView(std::vector<std::string>* events = nullptr) : events_(events) {}

    std::string passwordText() const override { return text; }
    void setPasswordBackground(Rgb colour) override { background = colour; }
    void focusPassword() override { ++focusCount; }
    void closeForm(bool g) override {
        granted = g;
        if (events_) events_->push_back(g ? "access closed, granted" : "access closed");
    }

    std::string text;
    Rgb background = kFieldWhite;
    int focusCount = 0;
    std::optional<bool> granted;  // set once closed

private:
    std::vector<std::string>* events_;
};

TEST(AccessFormLogic, OnlyTheTwoExactPasswordsOpen) {
    const struct {
        const char* text;
        bool granted;
    } cases[] = {
        {"moonwalk", true}, {"glimmer", true},   {"Moonwalk", false},  {"MOONWALK", false},
        {"Glimmer", false}, {" glimmer", false}, {"glimmer ", false},  {"moonwalk\t", false},
        {"", false},        {"glimme", false},   {"moonwalkx", false}, {"moonwalkglimmer", false},
        {"*******", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FakeAccessView view;
        AccessFormLogic logic(view);
        view.text = c.text;
        logic.OK();
        if (c.granted) {
            EXPECT_EQ(view.granted, std::optional<bool>(true));
        } else {
            EXPECT_FALSE(view.granted.has_value()) << "a wrong password keeps the dialog open";
            EXPECT_EQ(view.background, kFieldRed);
            EXPECT_EQ(view.text, c.text) << "the entered text stays";
        }
    }
}

TEST(AccessFormLogic, RedStaysUntilTheNextEditThenCancelCloses) {
    FakeAccessView view;
    AccessFormLogic logic(view);
    logic.Activated();
    EXPECT_EQ(view.focusCount, 1);

    view.text = "moonwal";
    logic.OK();
    logic.OK();
    EXPECT_EQ(view.background, kFieldRed);
    view.text = "moonwa";  // deleting one character is an edit too
    logic.PasswordChanged();
    EXPECT_EQ(view.background, kFieldWhite);
    EXPECT_FALSE(view.granted.has_value());

    logic.Cancel();
    EXPECT_EQ(view.granted, std::optional<bool>(false));
}

TEST(SettingsCommand, AccessDialogClosesBeforeSettingsOpen) {
    struct Case {
        std::vector<std::string> typed;  // one OK per text, then Cancel if still open
        std::vector<std::string> events;
    } cases[] = {
        {{"glimmer"}, {"access closed, granted", "settings opened", "settings closed"}},
        {{"wrong", "moonwalk"}, {"access closed, granted", "settings opened", "settings closed"}},
        {{"wrong"}, {"access closed"}},
    };
    for (const auto& c : cases) {
        ActionGate gate;
        std::vector<std::string> events;
        const bool ran = RunSettingsCommand(
            gate,
            [&] {
                FakeAccessView view(&events);
                AccessFormLogic logic(view);
                for (const auto& text : c.typed) {
                    view.text = text;
                    logic.OK();
                    if (view.granted) break;
                }
                if (!view.granted) logic.Cancel();
                return *view.granted;
            },
            [&] {
                events.push_back("settings opened");
                EXPECT_TRUE(gate.busy()) << "the command holds the gate while the dialog is open";
                events.push_back("settings closed");
            });
        EXPECT_TRUE(ran);
        EXPECT_EQ(events, c.events);
        EXPECT_FALSE(gate.busy());
    }
}

TEST(SettingsCommand, RefusedWhileAnotherActionRuns) {
    ActionGate gate;
    auto pass = gate.tryEnter();
    int asked = 0;
    EXPECT_FALSE(RunSettingsCommand(
        gate,
        [&] {
            ++asked;
            return true;
        },
        [&] { ++asked; }));
    EXPECT_EQ(asked, 0);
}

}  // namespace
}  // namespace pelko::config
