#include "send/NodeSlots.h"

#include "base/Shell.h"
#include "config/AppSettings.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "log/Error.h"
#include "log/ErrorReport.h"

namespace pelko::send {
namespace {

std::string NodeKey(int node) {
    return "Node" + std::to_string(node);
}

}  // namespace

std::optional<std::pair<std::string, std::string>> SplitNodeEntry(std::string_view entry) {
    const auto bar = entry.find('|');
    if (bar == std::string_view::npos) return std::nullopt;
    std::string_view rest = entry.substr(bar + 1);
    rest = rest.substr(0, rest.find('|'));
    return std::make_pair(std::string(entry.substr(0, bar)), std::string(rest));
}

NodeSlots::NodeSlots(NodeButtonsView& view, Shell& shell, config::Settings& settings, ErrorReporter& errors)
    : view_(view), shell_(shell), settings_(settings), errors_(errors) {}

void NodeSlots::ConfigButton() {
    if (configuring_) {
        configureAgain_ = true;
        return;
    }
    configuring_ = true;
    do {
        configureAgain_ = false;
        try {
            configure();
        } catch (...) {
            const ErrorInfo e = CurrentErrorInfo();
            errors_.messageBThenLog(e.number, e.description, "ConfigButton");
        }
    } while (configureAgain_);
    configuring_ = false;
}

void NodeSlots::configure() {
    auto& nodes = settings_.record().NodeList;
    const auto file = settings_.path();

    // 1. The node list and the marks saved at the last close, node by node.
    nodes.fill({});
    std::array<bool, config::kMaxNodes> savedMark{};
    for (int n = 0; n < config::kMaxNodes; ++n) {
        shell_.processEvents();
        const auto i = static_cast<std::size_t>(n);
        nodes[i] = config::ReadIni("Forward", NodeKey(n), "", file, config::kIniSize);
        const std::string mark = config::ReadIni("Active", std::to_string(n), "0", file, config::kIniSize);
        const auto value = config::ParseBool(mark);
        if (!value) {
            throw Error(kErrSavedMark,
                        "Saved mark Active/" + std::to_string(n) + " is not a boolean: \"" + mark + "\"");
        }
        savedMark[i] = *value;
        if (nodes[i].empty()) break;
    }

    // 2. The slots, in order; a failure leaves the later ones as they were.
    for (int c = 0; c < kNodeSlots; ++c) {
        const auto i = static_cast<std::size_t>(c);
        slots_[i].shown = false;
        view_.setSlotShown(c, false);
        if (nodes[i].empty()) continue;
        const auto parts = SplitNodeEntry(nodes[i]);
        if (!parts) throw Error(kErrNodeEntry, "Node entry " + NodeKey(c) + " has no \"|\"");
        slots_[i].alias = parts->first;
        slots_[i].aeTitle = parts->second;
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

std::vector<std::string> NodeSlots::SelectedNodes() const {
    std::vector<std::string> selected;
    for (const auto& s : slots_) {
        if (s.shown && s.marked) selected.push_back(s.aeTitle);
    }
    return selected;
}

void NodeSlots::SaveActive() {
    const auto file = settings_.path();
    for (int i = 0; i < kNodeSlots; ++i) {
        shell_.processEvents();
        const auto& s = slots_[static_cast<std::size_t>(i)];
        config::WriteIni("Active", std::to_string(i), s.shown && s.marked ? "1" : "0", file);
    }
}

std::vector<NodeMenuItem> NodeSlots::MoreMenuItems() {
    auto& nodes = settings_.record().NodeList;
    const auto file = settings_.path();
    std::vector<NodeMenuItem> items;
    for (int n = kFirstMenuNode; n < config::kMaxNodes; ++n) {
        auto& entry = nodes[static_cast<std::size_t>(n)];
        if (entry.empty()) break;
        entry = config::ReadIni("Forward", NodeKey(n), "", file, config::kIniSize);
        // The file may have changed since the list was read: an entry that
        // has become empty ends the list there, as it does in the file; one
        // without "|" gets no item.
        if (entry.empty()) break;
        const auto parts = SplitNodeEntry(entry);
        if (!parts) continue;
        items.push_back({n, parts->first, parts->second});
    }
    return items;
}

void NodeSlots::OpenMoreMenu() {
    // While ConfigButton refills the list, the menu would show half of it.
    if (configuring_) return;
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
