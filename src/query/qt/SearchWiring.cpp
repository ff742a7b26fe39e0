#include <QComboBox>
#include <QLayout>
#include <QLineEdit>

#include "app/qt/MainWindow.h"
#include "query/ResultGrid.h"
#include "query/StudySearch.h"
#include "query/qt/QtSearchPanelView.h"
#include "query/qt/ResultGridWidget.h"

namespace pelko::ui {

// The search panel's binding, the grid and their logic.
struct MainWindow::SearchParts {
    SearchParts(MainWindow& w, ResultGridWidget* g)
        : window(w),
          grid(g),
          panel(w),
          menu(w.mnuSelect, g->viewport()),
          gridLogic_(*grid, menu, window, window.errors(), window.gate()),
          studySearch_(panel, *grid, window, window.settings(), window.services().toolkit, window.errors(),
                       window.services().clock, window.gate()) {}
    ~SearchParts() {
        // The grid widget outlives this during the window's teardown.
        grid->onHeaderClick = nullptr;
        grid->onRowPicked = nullptr;
        grid->onMouseDown = nullptr;
    }
    SearchParts(const SearchParts&) = delete;
    SearchParts& operator=(const SearchParts&) = delete;

    query::ResultGrid& gridLogic() { return gridLogic_; }
    query::StudySearch& search() { return studySearch_; }

    MainWindow& window;
    ResultGridWidget* grid;  // owned by gridArea
    QtSearchPanelView panel;
    QtSelectMenu menu;

private:
    query::ResultGrid gridLogic_;
    query::StudySearch studySearch_;
};

query::ResultGridView& MainWindow::resultGrid() {
    return *search_->grid;
}

// Binds the search panel and the result grid to the main window.
void MainWindow::wireSearch() {
    auto* grid = new ResultGridWidget(gridArea);
    grid->setObjectName(QStringLiteral("grid1"));
    gridArea->layout()->addWidget(grid);
    setTabOrder(cboSex, grid);
    setTabOrder(grid, cmdSend);
    search_ = std::make_shared<SearchParts>(*this, grid);
    SearchParts& parts = *search_;

    hooks_.configGrid = [&parts] { parts.gridLogic().ConfigGrid(); };

    grid->onHeaderClick = [&parts](int column) { parts.gridLogic().HeaderClick(column); };
    grid->onRowPicked = [&parts](int row, int column) { parts.gridLogic().RowPicked(row, column); };
    grid->onMouseDown = [&parts](int button, int x, int y) { parts.gridLogic().MouseDown(button, x, y); };
    connect(mnuMarkAll, &QAction::triggered, this, [&parts] { parts.gridLogic().MarkAll(); });

    connect(cmdSearch, &QPushButton::clicked, this, [&parts] { parts.search().Search(); });
    connect(cmdToday, &QPushButton::clicked, this, [&parts] { parts.search().Today(); });
    connect(cmdYesterday, &QPushButton::clicked, this, [&parts] { parts.search().Yesterday(); });
    connect(cmdWeek, &QPushButton::clicked, this, [&parts] { parts.search().Week(); });

    // The sex field takes only its letters; Enter in it starts the search
    // like in the other fields.
    cboSex->setInsertPolicy(QComboBox::NoInsert);
    cboSex->installEventFilter(new SexKeyFilter(cboSex, [this] { cmdSearch->click(); }));
}

}  // namespace pelko::ui
