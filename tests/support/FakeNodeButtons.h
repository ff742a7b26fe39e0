// Node buttons in memory: what the node logic showed, captioned and marked
// per slot, and the "..." menu it built.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "send/NodeSlots.h"

namespace pelko::test {

struct ButtonState {
    bool shown = false;
    std::string caption;
    bool marked = false;
};

class FakeNodeButtons : public send::NodeButtonsView {
public:
    void setSlotShown(int slot, bool shown) override { at(slot).shown = shown; }
    void setSlotCaption(int slot, const std::string& caption) override { at(slot).caption = caption; }
    void setSlotMarked(int slot, bool marked) override { at(slot).marked = marked; }
    void setMoreShown(bool shown) override {
        moreShown = shown;
        ++moreSet;
    }
    void resetNodeMenu() override {
        menu.clear();
        ++menuResets;
    }
    void popUpNodeMenu(const std::vector<send::NodeMenuItem>& items) override {
        menu = items;
        ++popUps;
    }

    ButtonState& at(int slot) { return buttons.at(static_cast<std::size_t>(slot)); }

    std::array<ButtonState, send::kNodeSlots> buttons;
    bool moreShown = true;  // shown in the design layout
    int moreSet = 0;
    std::vector<send::NodeMenuItem> menu;
    int menuResets = 0;
    int popUps = 0;
};

}  // namespace pelko::test
