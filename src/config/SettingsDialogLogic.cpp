#include "config/SettingsDialogLogic.h"

#include "base/Text.h"
#include "config/Settings.h"
#include "log/ErrorReport.h"

namespace pelko::config {
namespace {

bool IsDigit(int code) {
    return code >= '0' && code <= '9';
}

}  // namespace

bool IpKeyAccepted(int code) {
    return IsDigit(code) || code == '.' || code == kBackspace;
}

bool PortKeyAccepted(int code) {
    return IsDigit(code) || code == kBackspace;
}

std::vector<NodeRow> RowsFromNodeList(const AppSettings& record) {
    std::vector<NodeRow> rows;
    for (const auto& text : record.NodeList) {
        const auto entry = ParseNodeEntry(text);
        if (!entry) break;
        rows.push_back(*entry);
    }
    return rows;
}

SettingsDialogLogic::SettingsDialogLogic(SettingsDialogView& view, MessageBoxes& boxes, Settings& settings,
                                         std::function<void()> nodesChanged)
    : view_(view), boxes_(boxes), settings_(settings), nodesChanged_(std::move(nodesChanged)) {}

void SettingsDialogLogic::Opening() {
    for (const auto& row : RowsFromNodeList(settings_.record())) appendRow(row);

    settings_.Reload();
    const AppSettings& record = settings_.record();
    const std::pair<SettingsField, std::string> texts[] = {
        {SettingsField::LocalAET, record.LocalAET},
        {SettingsField::QueryAET, record.QueryAET},
        {SettingsField::QueryPort, std::to_string(record.QueryPort)},
        {SettingsField::QueryIP, record.QueryIP},
    };
    for (const auto& [field, text] : texts) {
        view_.setFieldText(field, text);
        TextChanged(field, text);
    }
    form_.useForward = record.UseForward;
    view_.setChecked(SettingsCheck::UseForward, form_.useForward);
    form_.registered = record.UseRegistered;
    view_.setChecked(SettingsCheck::Registered, form_.registered);

    setSave(false);
}

void SettingsDialogLogic::TextChanged(SettingsField field, const std::string& text) {
    switch (field) {
        case SettingsField::QueryAET:
            form_.queryAET = text;
            setSave(true);
            break;
        case SettingsField::LocalAET:
            form_.localAET = text;
            setSave(true);
            break;
        // These two turn Save on through their key filters only, so a paste
        // from the context menu leaves the Save state as it is.
        case SettingsField::QueryIP:
            form_.queryIP = text;
            break;
        case SettingsField::QueryPort:
            form_.queryPort = text;
            break;
    }
}

bool SettingsDialogLogic::KeyTyped(SettingsField field, int code) {
    bool accepted = true;
    if (field == SettingsField::QueryIP) accepted = IpKeyAccepted(code);
    if (field == SettingsField::QueryPort) accepted = PortKeyAccepted(code);
    if (accepted) setSave(true);
    return accepted;
}

void SettingsDialogLogic::CheckClicked(SettingsCheck check, bool on) {
    (check == SettingsCheck::UseForward ? form_.useForward : form_.registered) = on;
    setSave(true);
}

void SettingsDialogLogic::RowSelected(std::optional<int> row) {
    if (row && (*row < 0 || *row >= rowCount())) row.reset();
    form_.selected = row;
}

void SettingsDialogLogic::AddNew() {
    if (rowCount() >= kMaxNodes) {
        boxes_.showInfo(kNodeListFullMessage);
        return;
    }
    view_.runNodeEntry(NodeEntryLogic::Mode::New, {});
}

void SettingsDialogLogic::Edit() {
    if (!form_.selected) return;
    view_.runNodeEntry(NodeEntryLogic::Mode::Edit, form_.rows[*form_.selected]);
}

void SettingsDialogLogic::Delete() {
    if (!form_.selected) return;
    const int index = *form_.selected;
    form_.rows.erase(form_.rows.begin() + index);
    form_.selected.reset();
    view_.removeRow(index);
    view_.clearSelection();
    setSave(true);
}

void SettingsDialogLogic::appendRow(const NodeRow& row) {
    form_.rows.push_back(row);
    view_.appendRow(row);
}

void SettingsDialogLogic::replaceSelectedRow(const NodeRow& row) {
    if (!form_.selected) return;
    form_.rows[*form_.selected] = row;
    view_.setRow(*form_.selected, row);
}

void SettingsDialogLogic::Save() {
    // A line break would end its line in Settings.ini early and let the rest
    // stand there as lines of its own; such a value is never written.
    const auto broken = [](const std::string& text) {
        return text.find_first_of("\r\n") != std::string::npos;
    };
    bool refused =
        broken(form_.localAET) || broken(form_.queryAET) || broken(form_.queryIP) || broken(form_.queryPort);
    for (const auto& row : form_.rows) refused = refused || broken(row.alias) || broken(row.aet);
    if (refused) {
        boxes_.showError(kLineBreakMessage);
        return;
    }
    setSave(false);
    const bool written = settings_.Save({
        .nodes = form_.rows,
        .localAET = form_.localAET,
        .queryAET = form_.queryAET,
        .queryIP = form_.queryIP,
        .queryPort = form_.queryPort,
        .useForward = form_.useForward,
        .registered = form_.registered,
    });
    if (nodesChanged_) nodesChanged_();

    if (!written) {
        boxes_.showError(kSaveFailedMessage);
        setSave(true);
        return;
    }
    view_.closeDialog();
}

void SettingsDialogLogic::setSave(bool on) {
    form_.saveEnabled = on;
    view_.setSaveEnabled(on);
}

}  // namespace pelko::config
