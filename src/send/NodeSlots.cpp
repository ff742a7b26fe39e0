#include "send/NodeSlots.h"

#include "base/Shell.h"
#include "config/AppSettings.h"
#include "config/Settings.h"
#include "log/Error.h"
#include "log/ErrorNumbers.h"
#include "log/ErrorReport.h"

namespace pelko::send {
namespace {

// The log label of the rebuild.
constexpr const char* kRebuildLabel = "ConfigButton";

}  // namespace

NodeSlots::NodeSlots(NodeButtonsView& view, Shell& shell, config::Settings& settings, ErrorReporter& errors)
    : view_(view), shell_(shell), settings_(settings), errors_(errors) {}

void NodeSlots::RebuildFromSettings() {
    if (rebuilding_) {
        rebuildAgain_ = true;
        return;
    }
    rebuilding_ = true;
    do {
        rebuildAgain_ = false;
        errors_.Run(kRebuildLabel, Report::DetailsThenLog, [&] { rebuild(); });
    } while (rebuildAgain_);
    rebuilding_ = false;
}

void NodeSlots::rebuild() {
    auto& nodes = settings_.record().NodeList;

    // 1. The node list and the marks saved at the last close, node by node.
    nodes.fill({});
    std::array<bool, config::kMaxNodes> savedMark{};
    for (int n = 0; n < config::kMaxNodes; ++n) {
        shell_.processEvents();
        const auto i = static_cast<std::size_t>(n);
        nodes[i] = settings_.ReadNodeEntry(n);
        const config::SavedMark mark = settings_.ReadSavedMark(n);
        if (!mark.value) {
            throw Error(kErrSavedMark, "Saved mark Active/" + std::to_string(n) + " is not a boolean: \"" +
                                           mark.text + "\"");
        }
        savedMark[i] = *mark.value;
        if (nodes[i].empty()) break;
    }

    // 2. The slots, in order; a failure leaves the later ones as they were.
    for (int c = 0; c < kNodeSlots; ++c) {
        const auto i = static_cast<std::size_t>(c);
        slots_[i].shown = false;
        view_.setSlotShown(c, false);
        if (nodes[i].empty()) continue;
        const auto entry = config::ParseNodeEntry(nodes[i]);
        if (!entry) throw Error(kErrNodeEntry, "Node entry Node" + std::to_string(c) + " has no \"|\"");
        slots_[i].alias = entry->alias;
        slots_[i].aeTitle = entry->aet;
        view_.setSlotCaption(c, slots_[i].alias);
        slots_[i].shown = true;
        view_.setSlotShown(c, true);
        if (savedMark[i]) SelectButton(c, true);
    }

    // 3. "..." exactly when there is an eighth node.
    moreShown_ = !nodes[kFirstMenuNode].empty();
    view_.setMoreShown(moreShown_);
}

void NodeSlots::SelectButton(int slot, bool force) {
    if (!validSlot(slot)) return;
    setMarked(slot, force || !slots_[static_cast<std::size_t>(slot)].marked);
}

void NodeSlots::setMarked(int slot, bool marked) {
    slots_[static_cast<std::size_t>(slot)].marked = marked;
    view_.setSlotMarked(slot, marked);
}

void NodeSlots::SaveMarks() {
    for (int i = 0; i < kNodeSlots; ++i) {
        shell_.processEvents();
        const auto& s = slots_[static_cast<std::size_t>(i)];
        // On closing: a mark that cannot be written is not reported; the
        // next start shows the node unmarked.
        [[maybe_unused]] const bool written = settings_.WriteSavedMark(i, s.shown && s.marked);
    }
}

std::vector<NodeMenuItem> NodeSlots::MoreMenuItems() {
    auto& nodes = settings_.record().NodeList;
    std::vector<NodeMenuItem> items;
    for (int n = kFirstMenuNode; n < config::kMaxNodes; ++n) {
        auto& entry = nodes[static_cast<std::size_t>(n)];
        if (entry.empty()) break;
        try {
            entry = settings_.ReadNodeEntry(n);
        } catch (const Error&) {
            break;  // a refused Settings.ini: the menu shows what came before
        }
        // The file may have changed since the list was read: an entry that
        // has become empty ends the list there, as it does in the file; one
        // without "|" gets no item.
        if (entry.empty()) break;
        const auto parsed = config::ParseNodeEntry(entry);
        if (!parsed) continue;
        items.push_back({n, parsed->alias, parsed->aet});
    }
    return items;
}

void NodeSlots::OpenMoreMenu() {
    // While the rebuild refills the list, the menu would show half of it.
    if (rebuilding_) return;
    view_.resetNodeMenu();
    const auto items = MoreMenuItems();
    if (!items.empty()) view_.popUpNodeMenu(items);
}

void NodeSlots::ChooseMenuItem(const NodeMenuItem& item) {
    auto& s = slots_[kFirstMenuNode];
    s.alias = item.alias;
    s.aeTitle = item.aeTitle;
    view_.setSlotCaption(kFirstMenuNode, s.alias);
    SelectButton(kFirstMenuNode, true);
}

}  // namespace pelko::send
