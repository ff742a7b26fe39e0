#include "config/NodeEntryLogic.h"

#include "base/AeTitle.h"
#include "config/AppSettings.h"
#include "log/ErrorReport.h"

namespace pelko::config {

void NodeEntryLogic::Opening() {
    if (mode_ == Mode::Edit) {
        view_.setCaption("Edit Entry");
        view_.setOKCaption("Save");
    } else {
        view_.setCaption("New Entry");
        view_.setOKCaption("Add");
    }
}

void NodeEntryLogic::OK() {
    NodeRow row{view_.aliasText(), view_.aetText()};
    if (mode_ == Mode::New && row.alias.empty() && row.aet.empty()) {
        boxes_.showInfo(kFillFieldsMessage);
        return;
    }
    if (row.alias.find('|') != std::string::npos || row.aet.find('|') != std::string::npos) {
        boxes_.showInfo(kNoPipeMessage);
        return;
    }
    if (const auto problem = AeTitleProblem(row.aet)) {
        boxes_.showInfo("The AE title \"" + row.aet + "\" " + *problem + ".");
        return;
    }
    if (mode_ == Mode::Edit) {
        list_.replaceSelectedRow(row);
    } else {
        if (list_.rowCount() >= kMaxNodes) {
            boxes_.showInfo(kNodeListFullMessage);
            return;
        }
        list_.appendRow(row);
    }
    list_.enableSave();
    view_.closeDialog();
}

}  // namespace pelko::config
