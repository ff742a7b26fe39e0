// frmSettings: shows the settings as Settings.ini holds them, collects the
// user's changes and writes all of them back on "Save".
//
// The logic keeps the dialog's state as plain data (the node rows with an
// optional selected row, the four field texts, the two check boxes and the
// Save state); the widgets mirror it through SettingsDialogView and report
// the user's actions back.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "config/NodeEntryLogic.h"

namespace pelko {
class MessageBoxes;
}

namespace pelko::config {

class Settings;

enum class SettingsField { QueryAET, QueryIP, QueryPort, LocalAET };
enum class SettingsCheck { UseForward, Registered };

// Per-character filters of txtQuIP and txtQuPort: true keeps the character.
// `code` is the character a key produced, control characters included
// (Ctrl+V is 22, Ctrl+C 3, Ctrl+X 24).
bool IpKeyAccepted(int code);
bool PortKeyAccepted(int code);

// The rows of NodeList, up to its first entry without "|".
std::vector<NodeRow> RowsFromNodeList(const AppSettings& record);

inline constexpr const char* kLineBreakMessage =
    "A setting contains a line break, which Settings.ini cannot hold. Nothing was saved.";
inline constexpr const char* kSaveFailedMessage =
    "The settings could not be written to Settings.ini.\nCheck that the file and its folder are writable.";

struct SettingsForm {
    std::vector<NodeRow> rows;
    std::optional<int> selected;
    std::string queryAET;
    std::string queryIP;
    std::string queryPort;
    std::string localAET;
    bool useForward = false;
    bool registered = false;
    bool saveEnabled = false;
};

class SettingsDialogView {
public:
    virtual ~SettingsDialogView() = default;
    virtual void appendRow(const NodeRow& row) = 0;
    virtual void setRow(int index, const NodeRow& row) = 0;
    virtual void removeRow(int index) = 0;
    virtual void clearSelection() = 0;
    virtual void setFieldText(SettingsField field, const std::string& text) = 0;
    virtual void setChecked(SettingsCheck check, bool on) = 0;
    virtual void setSaveEnabled(bool on) = 0;
    // Runs the node entry dialog modally, owned by this dialog, with its
    // fields holding `initial`; returns when it has closed.
    virtual void runNodeEntry(NodeEntryLogic::Mode mode, const NodeRow& initial) = 0;
    virtual void closeDialog() = 0;
};

class SettingsDialogLogic : public NodeListEditor {
public:
    // `nodesChanged` rebuilds the main window's node buttons from the file.
    SettingsDialogLogic(SettingsDialogView& view, MessageBoxes& boxes, Settings& settings,
                        std::function<void()> nodesChanged);

    // Fills the list from NodeList, reloads the file, fills the
    // fields and check boxes, and turns Save off last.
    void Opening();

    // What the user did.
    void TextChanged(SettingsField field, const std::string& text);
    // A typed character in txtQuIP or txtQuPort: true lets it through, and
    // then the Save state is on.
    bool KeyTyped(SettingsField field, int code);
    void CheckClicked(SettingsCheck check, bool on);
    void RowSelected(std::optional<int> row);
    void AddNew();
    void Edit();
    void Delete();
    void Cancel() { view_.closeDialog(); }
    // Writes every setting, updates the in-memory record, rebuilds the node
    // buttons and closes. A write that fails leaves the dialog open with a
    // message, so that nothing typed is lost.
    void Save();

    const SettingsForm& form() const { return form_; }

    // NodeListEditor, for the node entry dialog.
    int rowCount() const override { return static_cast<int>(form_.rows.size()); }
    void appendRow(const NodeRow& row) override;
    void replaceSelectedRow(const NodeRow& row) override;
    void enableSave() override { setSave(true); }

private:
    void setSave(bool on);

    SettingsDialogView& view_;
    MessageBoxes& boxes_;
    Settings& settings_;
    std::function<void()> nodesChanged_;
    SettingsForm form_;
};

}  // namespace pelko::config
