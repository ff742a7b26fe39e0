// frmChange: adds a destination node to, or edits one node of, the settings
// dialog's node list. It writes nothing to Settings.ini; the change reaches
// the file only when the settings dialog is saved.
#pragma once

#include <string>

#include "config/AppSettings.h"

namespace pelko {
class MessageBoxes;
}

namespace pelko::config {

// One row of the settings dialog's node list.
using NodeRow = NodeEntry;

inline constexpr const char* kFillFieldsMessage = "Please fill the fields with data.";
// A node is stored as alias|AE title without escaping, so a "|" inside
// either text would split the entry in the wrong place when it is read back.
inline constexpr const char* kNoPipeMessage = "The alias and the AE title must not contain \"|\".";
inline constexpr const char* kNodeListFullMessage = "The node list is full (101 nodes).";

inline constexpr int kAETMaxLength = 16;

// The settings dialog's list as the node entry dialog changes it.
class NodeListEditor {
public:
    virtual ~NodeListEditor() = default;
    virtual int rowCount() const = 0;
    virtual void appendRow(const NodeRow& row) = 0;
    virtual void replaceSelectedRow(const NodeRow& row) = 0;
    // Turns the settings dialog's Save state on.
    virtual void enableSave() = 0;
};

class NodeEntryView {
public:
    virtual ~NodeEntryView() = default;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setOKCaption(const std::string& caption) = 0;
    virtual std::string aliasText() const = 0;
    virtual std::string aetText() const = 0;
    virtual void closeDialog() = 0;
};

class NodeEntryLogic {
public:
    // "NEW" adds a row at the end of the list, "EDIT" changes the selected row.
    enum class Mode { New, Edit };

    NodeEntryLogic(NodeEntryView& view, MessageBoxes& boxes, NodeListEditor& list, Mode mode)
        : view_(view), boxes_(boxes), list_(list), mode_(mode) {}

    // Captions: "New Entry" / "Add" or "Edit Entry" / "Save".
    void Opening();
    // Refuses, with a message and the dialog left open: a "|" in either
    // text; an AE title that is not valid (too long, a backslash, a control
    // or non-ASCII character); in mode NEW both texts empty, or a full list. Otherwise changes
    // the list, turns the settings dialog's Save on and closes.
    void OK();
    void Cancel() { view_.closeDialog(); }

private:
    NodeEntryView& view_;
    MessageBoxes& boxes_;
    NodeListEditor& list_;
    Mode mode_;
};

}  // namespace pelko::config
