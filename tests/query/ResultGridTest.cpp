#include <gtest/gtest.h>

#include "SearchFixture.h"

namespace pelko::test {
namespace {

using ResultGridTest = GridFixture;

TEST_F(ResultGridTest, TenColumnsWithKeysTitlesAndWidths) {
    struct Expected {
        const char* key;
        const char* title;
        std::optional<int> width;
        bool shown;
    };
    const Expected expected[] = {
        {"COLUMN1", "ID", {}, false},
        {"COLUMN2", "Studydate", 110, true},
        {"COLUMN3", "Patient ID", 150, true},
        {"COLUMN4", "Name", 200, true},
        {"COLUMN5", "Sex", 35, true},
        {"COLUMN6", "Date of Birth", 100, true},
        {"COLUMN7", "Time", {}, true},
        {"COLUMN8", "Study Description", 160, true},
        {"COLUMN9", "Accession Number", 200, true},
        {"COLUMN10", "Modality", {}, true},
    };
    ASSERT_EQ(grid.columns.size(), std::size(expected));
    for (std::size_t i = 0; i < grid.columns.size(); ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(grid.columns[i].key, expected[i].key);
        EXPECT_EQ(grid.columns[i].title, expected[i].title);
        EXPECT_EQ(grid.columns[i].widthPixels, expected[i].width);
        EXPECT_EQ(grid.columns[i].shown, expected[i].shown);
    }
}

TEST_F(ResultGridTest, HeaderClicksAlternatePerColumn) {
    struct Case {
        std::vector<int> clicks;
        std::vector<std::string> sorts;
    };
    const Case cases[] = {
        {{3, 3, 3}, {"sort 3 asc", "sort 3 desc", "sort 3 asc"}},
        {{3, 4, 3}, {"sort 3 asc", "sort 4 asc", "sort 3 desc"}},
        {{2, 4, 4, 2, 4}, {"sort 2 asc", "sort 4 asc", "sort 4 desc", "sort 2 desc", "sort 4 asc"}},
    };
    for (const Case& c : cases) {
        query::ResultGrid fresh{grid, menu, shell, errors, gate};
        grid.events.clear();
        shell.busyPointer.clear();
        std::vector<std::vector<bool>> busyWhileSorting;
        grid.onSort = [&] { busyWhileSorting.push_back(shell.busyPointer); };
        for (int column : c.clicks) fresh.HeaderClick(column);
        EXPECT_EQ(grid.events, c.sorts);
        // Busy pointer on for each sort, off after it.
        ASSERT_EQ(busyWhileSorting.size(), c.clicks.size());
        for (std::size_t i = 0; i < busyWhileSorting.size(); ++i) {
            EXPECT_EQ(busyWhileSorting[i].size(), 2 * i + 1);
            EXPECT_TRUE(busyWhileSorting[i].back());
        }
        EXPECT_EQ(shell.busyPointer.size(), 2 * c.clicks.size());
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
    EXPECT_EQ(grid.column(1), (std::vector<std::string>{"1.2.3", "1.2.1", "1.2.2"}));

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
    EXPECT_EQ(grid.events.back(), "sort 2 desc");
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
        shell.sendEnabled = c.sendBefore;
        gridLogic.RowPicked(1, 3);
        EXPECT_EQ(shell.sendEnabled, c.sendAfter) << c.results;
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

TEST_F(ResultGridTest, MarkAllSelectsEveryRowThroughColumnOne) {
    fill(3);
    grid.selected = {2};
    grid.events.clear();
    shell.onProcessEvents = [&] { grid.events.push_back("pump"); };
    gridLogic.MarkAll();
    const std::vector<std::string> events = {"pump",       "select 1,1", "pump",
                                             "select 2,1", "pump",       "select 3,1"};
    EXPECT_EQ(grid.events, events);
    EXPECT_EQ(grid.selectedRowCount(), 3);
    EXPECT_FALSE(shell.sendEnabled);  // Mark all does not enable Send

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
    EXPECT_FALSE(shell.sendEnabled);
    EXPECT_TRUE(menu.popups.empty());
    EXPECT_EQ(grid.column(1), (std::vector<std::string>{"1.2.1", "1.2.2", "1.2.3"}));
    // The refused click left the direction alone.
    gridLogic.HeaderClick(3);
    EXPECT_EQ(grid.events.back(), "sort 3 desc");
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
    EXPECT_EQ(grid.selectedRowCount(), 3);
    EXPECT_FALSE(gate.busy());
}

}  // namespace
}  // namespace pelko::test
