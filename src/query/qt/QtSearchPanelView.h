// The search panel's controls of the main window as the search sees them,
// the key filter of the sex field and the "SELECT" pop-up of the grid.
#pragma once

#include <QObject>
#include <functional>

#include "query/ResultGrid.h"
#include "query/StudySearch.h"

class QComboBox;
class QMenu;
class QWidget;

namespace pelko::ui {

class MainWindow;

class QtSearchPanelView : public query::SearchPanelView {
public:
    explicit QtSearchPanelView(MainWindow& window) : window_(window) {}

    query::SearchCriteria criteria() const override;
    void setText(query::SearchField field, const std::string& text) override;
    void setStudyDate(std::optional<std::chrono::year_month_day> date) override;
    void focusSearchButton() override;

private:
    MainWindow& window_;
};

// Lets only "M", "F" and "O" (either case) into the sex field, each
// replacing the text, and Backspace; navigation and Enter keep working.
// Enter starts `onEnter`.
class SexKeyFilter : public QObject {
public:
    SexKeyFilter(QComboBox* field, std::function<void()> onEnter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox* field_;
    std::function<void()> onEnter_;
};

// "SELECT" opens at the pointer over the grid.
class QtSelectMenu : public query::SelectMenuView {
public:
    QtSelectMenu(QMenu* menu, QWidget* grid) : menu_(menu), grid_(grid) {}
    void popUpSelectMenu(int x, int y) override;

private:
    QMenu* menu_;
    QWidget* grid_;
};

}  // namespace pelko::ui
