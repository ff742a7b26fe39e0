#include <gtest/gtest.h>

#include "SearchFixture.h"

namespace pelko::test {
namespace {

using ResultGridTest = GridFixture;

TEST_F(ResultGridTest, HeaderClicksAlternatePerColumn) {
    struct Case {
        std::vector<int> clicks;
        std::vector<int> sorts;  // negative: descending
    };
    const Case cases[] = {
        {{3, 3, 3}, {3, -3, 3}},
        {{3, 4, 3}, {3, 4, -3}},
        {{2, 4, 4, 2, 4}, {2, 4, -4, -2, 4}},
    };
    for (const Case& c : cases) {
        query::ResultGrid fresh{grid, menu, shell, errors, gate};
        grid.sorts.clear();
        int busySorts = 0;
        grid.onSort = [&] { busySorts += shell.busyPointer.back() ? 1 : 0; };
        for (int column : c.clicks) fresh.HeaderClick(column);
        EXPECT_EQ(grid.sorts, c.sorts);
        // The busy pointer shows during each sort and is gone after it.
        EXPECT_EQ(busySorts, static_cast<int>(c.clicks.size()));
        EXPECT_FALSE(shell.busyPointer.back());
    }
}

TEST_F(ResultGridTest, SortingKeepsTheTagsAcrossSearchesAndReordersRows) {
    kit.findResult.push_back(Study("1.2.1", "20240302", "B", "Doe^Jane"));
    kit.findResult.push_back(Study("1.2.2", "20240301", "C", "Roe^Rick"));
    kit.findResult.push_back(Study("1.2.3", "20240303", "A", "Poe^Ed"));
    search.Search();
    gridLogic.HeaderClick(3);
    EXPECT_EQ(grid.column(3), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(grid.uids(), (std::vector<std::string>{"1.2.3", "1.2.1", "1.2.2"}));

    search.Search();  // a new search keeps each column's direction
    gridLogic.HeaderClick(3);
    EXPECT_EQ(grid.column(3), (std::vector<std::string>{"C", "B", "A"}));
}

TEST_F(ResultGridTest, FailingSortIsSkippedSilently) {
    grid.onSort = [] { throw std::runtime_error("sort failed"); };
    gridLogic.HeaderClick(2);
    EXPECT_EQ(shell.busyPointer, (std::vector<bool>{true, false}));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(errorLogLines().empty());
    // The failed sort still counts: the next click descends.
    grid.onSort = nullptr;
    gridLogic.HeaderClick(2);
    EXPECT_EQ(grid.sorts.back(), -2);
}

TEST_F(ResultGridTest, PickingARowEnablesSendOnlyForStudies) {
    struct Case {
        int results;
        bool sendBefore;
        bool sendAfter;
    };
    const Case cases[] = {
        {2, false, true},
        {0, false, false},  // the "No data" row
        {0, true, true},    // never disabled here
    };
    for (const Case& c : cases) {
        fill(c.results);
        grid.sendAllowed = c.sendBefore;
        gridLogic.RowPicked(1, 3);
        EXPECT_EQ(grid.sendAllowed, c.sendAfter) << c.results;
    }
}

TEST_F(ResultGridTest, RightClickOpensSelectOnlyOverRows) {
    struct Case {
        int rows;  // -1: empty grid
        int button;
        bool menu;
    };
    const Case cases[] = {
        {-1, query::kRightButton, false}, {2, query::kLeftButton, false}, {2, query::kMiddleButton, false},
        {2, query::kRightButton, true},   {0, query::kRightButton, true},  // the "No data" row counts
    };
    for (const Case& c : cases) {
        if (c.rows < 0) {
            grid.rows.clear();
        } else {
            fill(c.rows);
        }
        menu.popups.clear();
        gridLogic.MouseDown(c.button, 40, 17);
        EXPECT_EQ(menu.popups.size(), c.menu ? 1u : 0u) << c.rows << " " << c.button;
        if (c.menu) {
            EXPECT_EQ(menu.popups[0], std::make_pair(40, 17));
        }
    }
}

TEST_F(ResultGridTest, MarkAllSelectsEveryRowLettingEventsRunBeforeEach) {
    fill(3);
    grid.selected = {2};
    std::vector<std::size_t> selectedAtPump;
    shell.onProcessEvents = [&] { selectedAtPump.push_back(grid.selected.size()); };
    gridLogic.MarkAll();
    EXPECT_EQ(selectedAtPump, (std::vector<std::size_t>{1, 2, 2}));  // row 2 was selected before
    EXPECT_EQ(grid.selectedStudyUids(), (std::vector<std::string>{"1.2.1", "1.2.2", "1.2.3"}));
    EXPECT_FALSE(grid.sendAllowed);  // Mark all does not allow Send

    fill(0);
    gridLogic.MarkAll();
    EXPECT_EQ(grid.selected, std::set<int>{1});  // the marker row too

    grid.rows.clear();
    grid.selected.clear();
    gridLogic.MarkAll();
    EXPECT_TRUE(grid.selected.empty());
}

TEST_F(ResultGridTest, GridActionsMidSearchAreRefused) {
    fill(2);
    gridLogic.HeaderClick(3);  // ascending; the next click descends
    kit.findResult = Studies(3);
    shell.onProcessEvents = [&] {
        gridLogic.MarkAll();
        gridLogic.HeaderClick(3);
        gridLogic.RowPicked(1, 2);
        gridLogic.MouseDown(query::kRightButton, 1, 1);
    };
    search.Search();
    EXPECT_TRUE(grid.selected.empty());
    EXPECT_FALSE(grid.sendAllowed);
    EXPECT_TRUE(menu.popups.empty());
    EXPECT_EQ(grid.uids(), (std::vector<std::string>{"1.2.1", "1.2.2", "1.2.3"}));
    // The refused click left the direction alone.
    gridLogic.HeaderClick(3);
    EXPECT_EQ(grid.sorts.back(), -3);
}

TEST_F(ResultGridTest, SearchOrMarkAllMidMarkAllAreRefused) {
    fill(3);
    const std::size_t finds = kit.finds.size();
    int pumps = 0;
    shell.onProcessEvents = [&] {
        ++pumps;
        search.Search();
        gridLogic.MarkAll();
        search.Week();
    };
    gridLogic.MarkAll();
    EXPECT_EQ(pumps, 3);
    EXPECT_EQ(kit.finds.size(), finds);
    EXPECT_EQ(grid.rowCount(), 3);
    EXPECT_EQ(grid.selected.size(), 3u);
    EXPECT_FALSE(gate.busy());
}

}  // namespace
}  // namespace pelko::test
