// The node buttons cmdNode(0..7), the "..." button and the "NODES" menu of
// the main window, as NodeSlots drives them.
#pragma once

#include <QAction>
#include <QString>
#include <functional>
#include <vector>

#include "send/NodeSlots.h"

namespace pelko::ui {

class MainWindow;

// Style of a marked node button: pure green face. The bold caption is set
// through the font.
extern const char* const kMarkedNodeStyle;

class QtNodeButtonsView : public send::NodeButtonsView {
public:
    using ChooseItem = std::function<void(const send::NodeMenuItem&)>;
    QtNodeButtonsView(MainWindow& window, ChooseItem onChoose);

    void setSlotShown(int slot, bool shown) override;
    void setSlotCaption(int slot, const std::string& caption) override;
    void setSlotMarked(int slot, bool marked) override;
    void setMoreShown(bool shown) override;
    void resetNodeMenu() override;
    void popUpNodeMenu(const std::vector<send::NodeMenuItem>& items) override;

private:
    MainWindow& window_;
    ChooseItem onChoose_;
    std::vector<QAction*> items_;  // mnuEmpty(1) and up
};

}  // namespace pelko::ui
