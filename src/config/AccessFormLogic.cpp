#include "config/AccessFormLogic.h"

#include "base/ActionGate.h"

namespace pelko::config {

bool IsAccessPassword(std::string_view text) {
    return text == kPasswordMoonwalk || text == kPasswordGlimmer;
}

void AccessFormLogic::OK() {
    if (IsAccessPassword(view_.passwordText())) {
        view_.closeForm(true);
    } else {
        view_.setPasswordBackground(kFieldRed);
    }
}

bool RunSettingsCommand(ActionGate& gate, const std::function<bool()>& askPassword,
                        const std::function<void()>& openSettings) {
    auto pass = gate.tryEnter();
    if (!pass) return false;
    if (askPassword()) openSettings();
    return true;
}

}  // namespace pelko::config
