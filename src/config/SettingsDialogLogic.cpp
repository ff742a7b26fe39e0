#include "config/SettingsDialogLogic.h"

#include <algorithm>

#include "config/IniFile.h"
#include "config/Settings.h"
#include "log/ErrorReport.h"

namespace pelko::config {
namespace {

bool IsDigit(int code) {
    return code >= '0' && code <= '9';
}

std::vector<std::string> SplitAtPipes(const std::string& text) {
    std::vector<std::string> parts;
    if (text.empty()) return parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = text.find('|', start);
        parts.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return parts;
}

}  // namespace

bool IpKeyAccepted(int code) {
    return IsDigit(code) || code == '.' || code == kBackspaceCode;
}

bool PortKeyAccepted(int code) {
    return IsDigit(code) || code == kBackspaceCode;
}

std::vector<NodeRow> RowsFromNodeList(const AppSettings& record) {
    std::vector<NodeRow> rows;
    for (const auto& entry : record.NodeList) {
        const auto parts = SplitAtPipes(entry);
        if (parts.size() < 2) break;
        rows.push_back({parts[0], parts[1]});
    }
    return rows;
}

SettingsDialogLogic::SettingsDialogLogic(SettingsDialogView& view, MessageBoxes& boxes, Settings& settings,
                                         std::function<void()> configButton)
    : view_(view), boxes_(boxes), settings_(settings), configButton_(std::move(configButton)) {}

void SettingsDialogLogic::Opening() {
    for (const auto& row : RowsFromNodeList(settings_.record())) appendRow(row);

    settings_.GetINI();
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
    setSave(false);
    const auto file = settings_.path();
    AppSettings& record = settings_.record();
    bool written = true;
    auto write = [&](const char* section, const std::string& key, const std::string& value) {
        written = WriteIni(section, key, value, file) && written;
    };

    // The list never grows past NodeList (Add New refuses a full list); the
    // bound keeps the slots below in range all the same.
    const std::size_t count = std::min<std::size_t>(form_.rows.size(), kMaxNodes);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string entry = form_.rows[i].alias + "|" + form_.rows[i].aet;
        write("Forward", "Node" + std::to_string(i), entry);
        record.NodeList[i] = entry;
    }
    // The empty key ends the list; longer lists saved before stay behind it
    // unread. NodeList ends at the same place, so that a shortened list does
    // not bring its old tail back before the node buttons re-read the file.
    write("Forward", "Node" + std::to_string(count), "");
    if (count < record.NodeList.size()) record.NodeList[count].clear();
    write("Local", "AET", form_.localAET);
    write("Query", "AET", form_.queryAET);
    write("Query", "IP", form_.queryIP);
    write("Query", "Port", form_.queryPort);
    write("General", "Forward", form_.useForward ? "1" : "0");
    write("General", "Registered", form_.registered ? "1" : "0");

    record.UseForward = form_.useForward;
    record.UseRegistered = form_.registered;
    if (configButton_) configButton_();

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
