// File, Settings: the password dialog first; a correct password closes it,
// and then the settings dialog opens. Both are modal, owned by `owner` and
// built afresh each time.
#pragma once

#include <functional>

class QWidget;

namespace pelko {
class ActionGate;
namespace config {
class Settings;
}
}  // namespace pelko

namespace pelko::ui {

// `nodesChanged` rebuilds the main window's node buttons after a Save.
void RunSettingsCommand(QWidget* owner, ActionGate& gate, config::Settings& settings,
                        const std::function<void()>& nodesChanged);

}  // namespace pelko::ui
