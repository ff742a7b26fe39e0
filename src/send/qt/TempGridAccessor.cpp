// Stand-in for the result grid accessor until the grid widget is wired in;
// remove when MainWindow::resultGrid() gets its real definition.
#include "app/qt/MainWindow.h"

namespace pelko::ui {
namespace {

class NoGrid : public query::ResultGridView {
public:
    void addColumn(const query::GridColumn&) override {}
    int rowCount() const override { return 0; }
    void removeAllRows() override {}
    void setRedraw(bool) override {}
    void addRow() override {}
    void setCell(int, int, const std::string&, bool) override {}
    std::string cellText(int, int) const override { return {}; }
    void selectCell(int, int) override {}
    int selectedRowCount() const override { return 0; }
    int selectedRow(int) const override { return 0; }
    void sortBy(int, bool) override {}
};

}  // namespace

query::ResultGridView& MainWindow::resultGrid() {
    static NoGrid grid;
    return grid;
}

}  // namespace pelko::ui
