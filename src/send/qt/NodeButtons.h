// The node buttons widget: the eight slots cmdNode0 ... cmdNode7, "..." and
// the "NODES" pop-up, owning the node logic. It sits in the search frame
// with each button at its designed place; slot 7, designed on the window,
// lies over slot 6 as it always did.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "send/NodeSlots.h"

class QAction;
class QMenu;
class QPushButton;

namespace pelko {
class ActionGate;
}

namespace pelko::ui {

// Style of a marked node button: pure green face. The bold caption is set
// through the font.
extern const char* const kMarkedNodeStyle;

class NodeButtons : public QWidget, private send::NodeButtonsView {
    Q_OBJECT
public:
    // `searchFrame` is the parent; the widget places itself in it. The
    // clicks on the buttons and the menu pass `gate`.
    NodeButtons(Shell& shell, config::Settings& settings, ErrorReporter& errors, ActionGate& gate,
                QWidget* searchFrame);
    ~NodeButtons() override;

    // The logic, for the send and for the settings dialog's rebuild.
    send::NodeSlots& nodeSlots() { return *logic_; }

    // The controls in their focus order.
    std::vector<QWidget*> focusOrder() const;

signals:
    // A slot was shown, hidden, marked or unmarked; the slots may still be
    // changing (connect queued to read them).
    void nodesChanged();

private:
    // NodeButtonsView
    void setSlotShown(int slot, bool shown) override;
    void setSlotCaption(int slot, const std::string& caption) override;
    void setSlotMarked(int slot, bool marked) override;
    void setMoreShown(bool shown) override;
    void resetNodeMenu() override;
    void popUpNodeMenu(const std::vector<send::NodeMenuItem>& items) override;

    std::array<QPushButton*, send::kNodeSlots> slotButtons_{};
    QPushButton* more_ = nullptr;
    QMenu* menu_ = nullptr;            // "NODES"
    QAction* emptyItem_ = nullptr;     // the placeholder "Empty"
    std::vector<QAction*> menuItems_;  // the nodes listed, after the placeholder
    std::unique_ptr<send::NodeSlots> logic_;
    std::function<void(const std::function<void()>&)> gated_;  // runs a click when the gate lets it
};

}  // namespace pelko::ui
