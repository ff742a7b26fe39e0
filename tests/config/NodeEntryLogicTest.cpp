#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "config/NodeEntryLogic.h"
#include "support/FakeShell.h"
#include "support/NodeRowPrinter.h"

namespace pelko::config {
namespace {

using Mode = NodeEntryLogic::Mode;

class FakeNodeEntryView : public NodeEntryView {
public:
    void setCaption(const std::string& c) override { caption = c; }
    void setOKCaption(const std::string& c) override { okCaption = c; }
    std::string aliasText() const override { return alias; }
    std::string aetText() const override { return aet; }
    void closeDialog() override { closed = true; }

    std::string caption, okCaption, alias, aet;
    bool closed = false;
};

class FakeNodeList : public NodeListEditor {
public:
    int rowCount() const override { return static_cast<int>(rows.size()); }
    void appendRow(const NodeRow& row) override { rows.push_back(row); }
    void replaceSelectedRow(const NodeRow& row) override { rows.at(selected) = row; }
    void enableSave() override { saveEnabled = true; }

    std::vector<NodeRow> rows;
    int selected = 0;
    bool saveEnabled = false;
};

TEST(NodeEntryLogic, CaptionsFollowTheMode) {
    for (auto [mode, caption, ok] :
         {std::tuple{Mode::New, "New Entry", "Add"}, {Mode::Edit, "Edit Entry", "Save"}}) {
        FakeNodeEntryView view;
        FakeNodeList list;
        test::FakeShell shell;
        NodeEntryLogic(view, shell, list, mode).Opening();
        EXPECT_EQ(view.caption, caption);
        EXPECT_EQ(view.okCaption, ok);
    }
}

TEST(NodeEntryLogic, ConfirmChangesTheListOrRefusesWithAMessage) {
    const std::vector<NodeRow> two = {{"A", "AA"}, {"B", "BB"}};
    const std::vector<NodeRow> full(kMaxNodes, NodeRow{"N", "NN"});
    auto with = [](std::vector<NodeRow> rows, std::optional<NodeRow> appended, std::optional<NodeRow> first) {
        if (appended) rows.push_back(*appended);
        if (first) rows[0] = *first;
        return rows;
    };
    const struct {
        const char* what;
        Mode mode;
        std::vector<NodeRow> rows;
        NodeRow typed;
        std::vector<NodeRow> after;  // empty: unchanged
        const char* message;         // nullptr: none, dialog closes
    } cases[] = {
        {"new, both", Mode::New, two, {"C", "CC"}, with(two, NodeRow{"C", "CC"}, {}), nullptr},
        {"new, alias only", Mode::New, two, {"C", ""}, with(two, NodeRow{"C", ""}, {}), nullptr},
        {"new, AET only", Mode::New, two, {"", "CC"}, with(two, NodeRow{"", "CC"}, {}), nullptr},
        {"new, a duplicate", Mode::New, two, {"A", "AA"}, with(two, NodeRow{"A", "AA"}, {}), nullptr},
        {"new, blanks kept", Mode::New, {}, {" ", ""}, {{" ", ""}}, nullptr},
        {"new, both empty", Mode::New, two, {"", ""}, {}, kFillFieldsMessage},
        {"new, bar in alias", Mode::New, two, {"a|b", "CC"}, {}, kNoPipeMessage},
        {"new, bar in AET", Mode::New, two, {"C", "|"}, {}, kNoPipeMessage},
        {"new, full list", Mode::New, full, {"C", "CC"}, {}, kNodeListFullMessage},
        {"edit, changed", Mode::Edit, two, {"A2", "AA2"}, with(two, {}, NodeRow{"A2", "AA2"}), nullptr},
        {"edit, both cleared", Mode::Edit, two, {"", ""}, with(two, {}, NodeRow{"", ""}), nullptr},
        {"edit, unchanged", Mode::Edit, two, {"A", "AA"}, two, nullptr},
        {"edit, full list", Mode::Edit, full, {"X", "Y"}, with(full, {}, NodeRow{"X", "Y"}), nullptr},
        {"edit, bar in AET", Mode::Edit, two, {"A", "x|y"}, {}, kNoPipeMessage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeNodeEntryView view;
        FakeNodeList list;
        list.rows = c.rows;
        test::FakeShell shell;
        NodeEntryLogic logic(view, shell, list, c.mode);
        logic.Opening();
        view.alias = c.typed.alias;
        view.aet = c.typed.aet;
        logic.OK();
        if (c.message) {
            EXPECT_EQ(shell.messages, std::vector<std::string>{std::string("info: ") + c.message});
            EXPECT_FALSE(view.closed);
            EXPECT_FALSE(list.saveEnabled);
            EXPECT_EQ(list.rows, c.rows);
        } else {
            EXPECT_TRUE(shell.messages.empty());
            EXPECT_TRUE(view.closed);
            EXPECT_TRUE(list.saveEnabled);
            EXPECT_EQ(list.rows, c.after);
        }
    }
}

}  // namespace
}  // namespace pelko::config
