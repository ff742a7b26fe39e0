// The destination nodes of the main window: eight node buttons (slots 0 to
// 7) built from the node list of Settings.ini, their marks, the "..." menu
// with the nodes from the eighth on, and the marks kept between runs in
// section Active.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pelko {
class Shell;
class ErrorReporter;
namespace config {
class Settings;
}
}  // namespace pelko

namespace pelko::send {

inline constexpr int kNodeSlots = 8;
// The first node that is reached only through the "..." menu; it is also
// the node of slot 7.
inline constexpr int kFirstMenuNode = 7;

struct NodeSlot {
    bool shown = false;
    std::string alias;    // the button caption
    std::string aeTitle;  // the C-MOVE destination
    bool marked = false;
};

// One entry of the "..." menu: node `node` of the list, item node - 6.
struct NodeMenuItem {
    int node = 0;
    std::string alias;
    std::string aeTitle;
    bool operator==(const NodeMenuItem&) const = default;
};

// The node buttons, the "..." button and the "NODES" menu as the logic drives
// them.
class NodeButtonsView {
public:
    virtual ~NodeButtonsView() = default;
    virtual void setSlotShown(int slot, bool shown) = 0;
    virtual void setSlotCaption(int slot, const std::string& caption) = 0;
    // Marked: bold caption on pure green; unmarked: regular caption on the
    // normal button face.
    virtual void setSlotMarked(int slot, bool marked) = 0;
    virtual void setMoreShown(bool shown) = 0;
    // Shows the placeholder "Empty" and removes every other item.
    virtual void resetNodeMenu() = 0;
    // Adds one item per entry, hides the placeholder and pops the menu up
    // beside the "..." button. Choosing an item ends in ChooseMenuItem.
    virtual void popUpNodeMenu(const std::vector<NodeMenuItem>& items) = 0;
};

class NodeSlots {
public:
    NodeSlots(NodeButtonsView& view, Shell& shell, config::Settings& settings, ErrorReporter& errors);

    // Reads the node list from section Forward into NodeList and fills the
    // slots; restores the marks saved in section Active. A failure (an entry
    // without "|", a saved mark that is not a boolean) is shown, then logged
    // under "ConfigButton"; the slots not yet reached stay as they were.
    void RebuildFromSettings();
    // Force marks the slot; otherwise its mark is toggled.
    void SelectButton(int slot, bool force);
    // Writes Active/0 ... Active/7: "1" for a shown and marked slot, else "0".
    void SaveMarks();

    // The nodes from node 7 on, each read again from the file and stored
    // back into NodeList. An entry that has lost its "|" since the list was
    // read is left out; one that has become empty ends the list.
    std::vector<NodeMenuItem> MoreMenuItems();
    // The click on "...": rebuilds the "NODES" menu and pops it up when it has
    // at least one node.
    void OpenMoreMenu();
    // Puts the chosen node into slot 7 and marks it.
    void ChooseMenuItem(const NodeMenuItem& item);
    // A click on node button `slot`.
    void NodeClicked(int slot) { SelectButton(slot, false); }

    const NodeSlot& slot(int i) const { return slots_.at(static_cast<std::size_t>(i)); }
    bool moreShown() const { return moreShown_; }

private:
    void rebuild();
    void setMarked(int slot, bool marked);
    bool validSlot(int slot) const { return slot >= 0 && slot < kNodeSlots; }

    NodeButtonsView& view_;
    Shell& shell_;
    config::Settings& settings_;
    ErrorReporter& errors_;
    std::array<NodeSlot, kNodeSlots> slots_;
    bool moreShown_ = false;
    // The rebuild lets events run; a second call arriving meanwhile (the
    // settings were saved again) is run once the first has finished.
    bool rebuilding_ = false;
    bool rebuildAgain_ = false;
};

}  // namespace pelko::send
