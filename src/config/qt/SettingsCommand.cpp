#include "config/qt/SettingsCommand.h"

#include "config/AccessFormLogic.h"
#include "config/qt/AccessForm.h"
#include "config/qt/SettingsDialog.h"

namespace pelko::ui {

void RunSettingsCommand(QWidget* owner, ActionGate& gate, config::Settings& settings,
                        const std::function<void()>& nodesChanged) {
    config::RunSettingsCommand(
        gate,
        [owner] {
            AccessForm access(owner);
            return access.exec() == QDialog::Accepted;
        },
        [&] {
            SettingsDialog dialog(owner, settings, nodesChanged);
            dialog.exec();
        });
}

}  // namespace pelko::ui
