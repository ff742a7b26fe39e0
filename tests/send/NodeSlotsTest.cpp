#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>

#include "SendFixture.h"
#include "send/NodeSlots.h"

namespace pelko::test {
namespace {

using send::NodeMenuItem;
using send::NodeSlots;
using Flags = std::array<bool, send::kNodeSlots>;

// The AE titles a send goes to: those of the shown and marked slots.
std::vector<std::string> Selected(const NodeSlots& slots) {
    std::vector<std::string> titles;
    for (int i = 0; i < send::kNodeSlots; ++i) {
        if (slots.slot(i).shown && slots.slot(i).marked) titles.push_back(slots.slot(i).aeTitle);
    }
    return titles;
}

struct Nodes {
    Program p;
    FakeNodeButtons view;
    NodeSlots slots{view, p.shell, p.settings, p.errors};

    Flags shown() const {
        Flags f{};
        for (int i = 0; i < send::kNodeSlots; ++i) f[static_cast<std::size_t>(i)] = slots.slot(i).shown;
        return f;
    }
    Flags marked() const {
        Flags f{};
        for (int i = 0; i < send::kNodeSlots; ++i) f[static_cast<std::size_t>(i)] = slots.slot(i).marked;
        return f;
    }
    std::vector<std::string> shownCaptions() const {
        std::vector<std::string> c;
        for (int i = 0; i < send::kNodeSlots; ++i) {
            if (slots.slot(i).shown) c.push_back(slots.slot(i).alias);
        }
        return c;
    }
    // The logic's state and what the buttons show must agree.
    void expectViewInStep() {
        for (int i = 0; i < send::kNodeSlots; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(view.at(i).shown, slots.slot(i).shown);
            EXPECT_EQ(view.at(i).marked, slots.slot(i).marked);
            if (slots.slot(i).shown) {
                EXPECT_EQ(view.at(i).caption, slots.slot(i).alias);
            }
        }
    }
};

constexpr Flags kNone{};
constexpr Flags kAll{true, true, true, true, true, true, true, true};
constexpr Flags kFirst7{true, true, true, true, true, true, true, false};

struct ConfigCase {
    const char* name;
    std::string ini;
    Flags shown;
    std::vector<std::string> captions;
    Flags marked;
    std::optional<bool> more;  // nullopt: "..." left as it was
    std::vector<std::string> selected;
    std::vector<int> menuNodes;  // node indices of the "..." menu
    std::string message;         // the error box, if any
};

void PrintTo(const ConfigCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<int> Range(int from, int to) {
    std::vector<int> r;
    for (int i = from; i <= to; ++i) r.push_back(i);
    return r;
}

std::vector<std::string> Aliases(int count) {
    std::vector<std::string> r;
    for (int i = 0; i < count; ++i) r.push_back("Alias" + std::to_string(i));
    return r;
}

const ConfigCase kConfigCases[] = {
    {"NoNodeKeys", "[Local]\r\nAET=PELKO\r\n", kNone, {}, kNone, false, {}, {}, ""},
    {"SevenNodes", ForwardSection(7), kFirst7, Aliases(7), kNone, false, {}, {}, ""},
    {"EightNodes", ForwardSection(8), kAll, Aliases(8), kNone, true, {}, {7}, ""},
    {"GapEndsTheList",
     "[Forward]\r\nNode0=A|AE_A\r\nNode1=B|AE_B\r\nNode3=D|AE_D\r\n",
     {true, true},
     {"A", "B"},
     kNone,
     false,
     {},
     {},
     ""},
    // Node101 is in the file but never read.
    {"HundredAndOneNodes", ForwardSection(102), kAll, Aliases(8), kNone, true, {}, Range(7, 100), ""},
    {"SavedMarksRestored",
     ForwardSection(9) + ActiveSection({"0", "1", "0", "TRUE", "2", "0", "false", "1"}),
     kAll,
     Aliases(8),
     {false, true, false, true, true, false, false, true},
     true,
     {"AE1", "AE3", "AE4", "AE7"},
     {7, 8},
     ""},
    {"EmptyAeTitleAndExtraPieces",
     "[Forward]\r\nNode0=NoAe|\r\nNode1=A|B|C\r\n" + ActiveSection({"1", "1"}),
     {true, true},
     {"NoAe", "A"},
     {true, true},
     false,
     {"", "B"},
     {},
     ""},
    {"MalformedEntryStopsAtItsSlot",
     ForwardSection(2) + "Node2=NoBar\r\nNode3=D|AE_D\r\n" + ActiveSection({"1", "0", "0", "1"}),
     {true, true},
     {"Alias0", "Alias1"},
     {true},
     std::nullopt,
     {"AE0"},
     {},
     "9 - Node entry Node2 has no \"|\""},
    {"UnreadableMarkStopsBeforeAnySlot",
     ForwardSection(3) + ActiveSection({"1", "yes"}),
     kNone,
     {},
     kNone,
     std::nullopt,
     {},
     {},
     "13 - Saved mark Active/1 is not a boolean: \"yes\""},
    {"EmptyMarkIsUnreadable",
     ForwardSection(3) + ActiveSection({""}),
     kNone,
     {},
     kNone,
     std::nullopt,
     {},
     {},
     "13 - Saved mark Active/0 is not a boolean: \"\""},
};

class ConfigButtonTest : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(ConfigButtonTest, BuildsSlotsFromTheFile) {
    const ConfigCase& c = GetParam();
    Nodes n;
    n.p.writeIni(c.ini);

    n.slots.RebuildFromSettings();

    EXPECT_EQ(n.shown(), c.shown);
    EXPECT_EQ(n.shownCaptions(), c.captions);
    EXPECT_EQ(n.marked(), c.marked);
    EXPECT_EQ(Selected(n.slots), c.selected);
    n.expectViewInStep();
    if (c.more) {
        EXPECT_EQ(n.view.moreShown, *c.more);
        EXPECT_EQ(n.slots.moreShown(), *c.more);
    } else {
        EXPECT_EQ(n.view.moreSet, 0);
    }

    if (c.message.empty()) {
        EXPECT_TRUE(n.p.shell.messages.empty());
        EXPECT_EQ(n.p.errorLog(), "");
    } else {
        EXPECT_EQ(n.p.shell.messages, std::vector<std::string>{"error: " + c.message});
        // The box comes first, the log line after it.
        ASSERT_EQ(n.p.shell.errorLogAtBox.size(), 1u);
        EXPECT_EQ(n.p.shell.errorLogAtBox[0], "");
        EXPECT_NE(n.p.errorLog().find(c.message + " - ConfigButton\r\n"), std::string::npos)
            << n.p.errorLog();
    }

    n.slots.OpenMoreMenu();
    std::vector<int> menuNodes;
    for (const auto& item : n.view.menu) menuNodes.push_back(item.node);
    EXPECT_EQ(menuNodes, c.menuNodes);
    EXPECT_EQ(n.view.popUps, c.menuNodes.empty() ? 0 : 1);
    if (!c.menuNodes.empty()) {
        const int last = c.menuNodes.back();
        EXPECT_EQ(n.view.menu.back(),
                  (NodeMenuItem{last, "Alias" + std::to_string(last), "AE" + std::to_string(last)}));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ConfigButtonTest, ::testing::ValuesIn(kConfigCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ConfigButton, FailureLeavesTheSlotsNotReachedAsTheyWere) {
    Nodes n;
    n.p.writeIni(ForwardSection(5));
    n.slots.RebuildFromSettings();
    n.slots.SelectButton(3, false);

    n.p.writeIni("[Forward]\r\nNode0=New0|NEW0\r\nNode1=Broken\r\nNode2=New2|NEW2\r\n");
    n.slots.RebuildFromSettings();

    EXPECT_EQ(n.shownCaptions(), (std::vector<std::string>{"New0", "Alias2", "Alias3", "Alias4"}));
    EXPECT_FALSE(n.slots.slot(1).shown);
    EXPECT_EQ(Selected(n.slots), std::vector<std::string>{"AE3"});
    n.expectViewInStep();
    EXPECT_EQ(n.p.shell.messages, std::vector<std::string>{"error: 9 - Node entry Node1 has no \"|\""});
}

TEST(ConfigButton, RunAgainAppliesSavedMarksAndKeepsTheOthers) {
    Nodes n;
    n.p.writeIni(ForwardSection(4) + ActiveSection({"1", "0", "0", "0"}));
    n.slots.RebuildFromSettings();
    n.slots.SelectButton(0, false);  // unmark
    n.slots.SelectButton(2, false);  // mark

    n.slots.RebuildFromSettings();

    EXPECT_EQ(n.marked(), (Flags{true, false, true}));
}

struct SelectCase {
    const char* name;
    std::vector<std::pair<int, bool>> calls;  // slot, force
    Flags marked;
};

void PrintTo(const SelectCase& c, std::ostream* os) {
    *os << c.name;
}

const SelectCase kSelectCases[] = {
    {"ClickTwiceUnmarks", {{2, false}, {2, false}}, kNone},
    {"ForceMarksAMarkedSlot", {{2, false}, {2, true}}, {false, false, true}},
    {"SlotsAreIndependent",
     {{0, false}, {7, false}, {0, false}},
     {false, false, false, false, false, false, false, true}},
    {"OutOfRangeIgnored", {{-1, false}, {8, true}}, kNone},
};

class SelectButtonTest : public ::testing::TestWithParam<SelectCase> {};

TEST_P(SelectButtonTest, TogglesOrForcesTheMark) {
    Nodes n;
    n.p.writeIni(ForwardSection(8));
    n.slots.RebuildFromSettings();
    for (auto [slot, force] : GetParam().calls) n.slots.SelectButton(slot, force);
    EXPECT_EQ(n.marked(), GetParam().marked);
    n.expectViewInStep();
}

INSTANTIATE_TEST_SUITE_P(Cases, SelectButtonTest, ::testing::ValuesIn(kSelectCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MoreMenu, ChoosingANodePutsItIntoSlotSevenAndAlwaysMarksIt) {
    Nodes n;
    n.p.writeIni(ForwardSection(12));
    n.slots.RebuildFromSettings();
    n.slots.SelectButton(2, false);

    for (bool markedBefore : {false, true}) {
        SCOPED_TRACE(markedBefore);
        if (n.slots.slot(7).marked != markedBefore) n.slots.SelectButton(7, false);
        n.slots.OpenMoreMenu();
        ASSERT_EQ(n.view.menu.size(), 5u);
        n.slots.ChooseMenuItem(n.view.menu[3]);  // node 10
        EXPECT_EQ(n.slots.slot(7).alias, "Alias10");
        EXPECT_EQ(n.marked(), (Flags{false, false, true, false, false, false, false, true}));
        EXPECT_EQ(Selected(n.slots), (std::vector<std::string>{"AE2", "AE10"}));
        n.expectViewInStep();
    }
}

struct MenuCase {
    const char* name;
    std::string changedIni;  // the file when the menu is opened
    std::vector<NodeMenuItem> items;
    std::string node8;  // NodeList[8] afterwards
};

void PrintTo(const MenuCase& c, std::ostream* os) {
    *os << c.name;
}

const MenuCase kMenuCases[] = {
    {"EntryRenamedInTheFile",
     ForwardSection(8) + "Node8=Renamed|REN\r\nNode9=Alias9|AE9\r\n",
     {{7, "Alias7", "AE7"}, {8, "Renamed", "REN"}, {9, "Alias9", "AE9"}},
     "Renamed|REN"},
    {"EntryWithoutBarSkipped",
     ForwardSection(8) + "Node8=NoBar\r\nNode9=Alias9|AE9\r\n",
     {{7, "Alias7", "AE7"}, {9, "Alias9", "AE9"}},
     "NoBar"},
    {"EntryEmptiedEndsTheList",
     ForwardSection(8) + "Node8=\r\nNode9=Alias9|AE9\r\n",
     {{7, "Alias7", "AE7"}},
     ""},
    // The menu follows the list as ConfigButton read it; a node added to
    // the file since waits for the next ConfigButton.
    {"NodeAddedToTheFileNotYetListed",
     ForwardSection(11),
     {{7, "Alias7", "AE7"}, {8, "Alias8", "AE8"}, {9, "Alias9", "AE9"}},
     "Alias8|AE8"},
    {"NoNodeLeft", ForwardSection(7) + "Node7=NoBar\r\n", {}, ""},
};

class MoreMenuTest : public ::testing::TestWithParam<MenuCase> {};

TEST_P(MoreMenuTest, ReadsTheNodesAgainAtEachOpening) {
    Nodes n;
    n.p.writeIni(ForwardSection(10));
    n.slots.RebuildFromSettings();
    n.slots.OpenMoreMenu();  // an earlier opening's items go

    n.p.writeIni(GetParam().changedIni);
    n.slots.OpenMoreMenu();

    EXPECT_EQ(n.view.menuResets, 2);
    EXPECT_EQ(n.view.menu, GetParam().items);
    EXPECT_EQ(n.view.popUps, GetParam().items.empty() ? 1 : 2);
    EXPECT_EQ(n.p.record.NodeList[8], GetParam().node8);
    EXPECT_TRUE(n.p.shell.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, MoreMenuTest, ::testing::ValuesIn(kMenuCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct RestartCase {
    const char* name;
    int nodesAtClose;
    std::function<void(Nodes&)> use;  // what the user did before closing
    std::vector<std::string> active;  // Active/0 ... Active/7 after SaveActive
    std::vector<std::string> nodesAtStart;
    Flags markedAtStart;
    std::vector<std::string> selectedAtStart;
};

void PrintTo(const RestartCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<std::string> Entries(int count) {
    std::vector<std::string> r;
    for (int i = 0; i < count; ++i) r.push_back("Alias" + std::to_string(i) + "|AE" + std::to_string(i));
    return r;
}

const RestartCase kRestartCases[] = {
    {"MarksOneAndThree",
     8,
     [](Nodes& n) {
         n.slots.NodeClicked(1);
         n.slots.NodeClicked(3);
     },
     {"0", "1", "0", "1", "0", "0", "0", "0"},
     Entries(8),
     {false, true, false, true},
     {"AE1", "AE3"}},
    {"HiddenMarkedSlotSavedAsUnmarked",
     8,
     [](Nodes& n) {
         n.slots.NodeClicked(2);
         n.slots.NodeClicked(5);
         n.p.writeIni(ForwardSection(4));
         n.slots.RebuildFromSettings();
     },
     {"0", "0", "1", "0", "0", "0", "0", "0"},
     Entries(8),
     {false, false, true},
     {"AE2"}},
    {"SlotSevenComesBackWithNodeSeven",
     10,
     [](Nodes& n) {
         n.slots.OpenMoreMenu();
         n.slots.ChooseMenuItem(n.view.menu.at(2));  // node 9
     },
     {"0", "0", "0", "0", "0", "0", "0", "1"},
     Entries(10),
     {false, false, false, false, false, false, false, true},
     {"AE7"}},
    {"MarkStaysWithTheSlotWhenItsNodeChanged",
     4,
     [](Nodes& n) { n.slots.NodeClicked(2); },
     {"0", "0", "1", "0", "0", "0", "0", "0"},
     {"A|A", "B|B", "New|NEW"},
     {false, false, true},
     {"NEW"}},
};

class RestartTest : public ::testing::TestWithParam<RestartCase> {};

TEST_P(RestartTest, SaveActiveWritesTheMarksAndTheNextStartRestoresThem) {
    const RestartCase& c = GetParam();
    Nodes first;
    first.p.writeIni(ForwardSection(c.nodesAtClose));
    first.slots.RebuildFromSettings();
    c.use(first);

    first.slots.SaveMarks();

    std::vector<std::string> active;
    for (int i = 0; i < 8; ++i) active.push_back(first.p.read("Active", std::to_string(i)));
    EXPECT_EQ(active, c.active);

    // The next run, on the file as it was left; the node list may have been
    // edited in between.
    for (int i = 0; i < 12; ++i) {
        const auto k = static_cast<std::size_t>(i);
        ASSERT_TRUE(config::WriteIni("Forward", "Node" + std::to_string(i),
                                     k < c.nodesAtStart.size() ? c.nodesAtStart[k] : "", first.p.ini()));
    }
    FakeNodeButtons view;
    NodeSlots next(view, first.p.shell, first.p.settings, first.p.errors);
    next.RebuildFromSettings();

    Flags marked{};
    for (int i = 0; i < 8; ++i) marked[static_cast<std::size_t>(i)] = next.slot(i).marked;
    EXPECT_EQ(marked, c.markedAtStart);
    EXPECT_EQ(Selected(next), c.selectedAtStart);
    if (c.markedAtStart[7]) {
        EXPECT_EQ(next.slot(7).alias, "Alias7");
    }
    EXPECT_TRUE(first.p.shell.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RestartTest, ::testing::ValuesIn(kRestartCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NodeEvents, ClicksDuringConfigButtonAreSafe) {
    Nodes n;
    n.p.writeIni(ForwardSection(10));
    n.slots.RebuildFromSettings();
    n.slots.NodeClicked(1);

    // The settings are saved again while the buttons are being rebuilt, and
    // the user clicks a button and "...".
    n.p.writeIni(ForwardSection(9) + ActiveSection({"0", "0", "1"}));
    int pumps = 0;
    n.p.shell.onProcessEvents = [&] {
        if (++pumps != 3) return;
        n.slots.RebuildFromSettings();
        n.slots.NodeClicked(0);
        n.slots.OpenMoreMenu();
    };
    n.slots.RebuildFromSettings();
    n.p.shell.onProcessEvents = nullptr;

    EXPECT_EQ(n.view.popUps, 0);              // no menu from a half-read list
    EXPECT_EQ(n.p.shell.pumps - 11, 2 * 10);  // the rebuild ran once more, in full
    EXPECT_EQ(n.marked(), (Flags{true, true, true}));
    EXPECT_EQ(n.shownCaptions(), Aliases(8));
    n.expectViewInStep();
    n.slots.OpenMoreMenu();
    EXPECT_EQ(n.view.menu.size(), 2u);
}

}  // namespace
}  // namespace pelko::test
