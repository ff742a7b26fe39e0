#include "app/qt/MainWindow.h"
#include "config/AccessFormLogic.h"
#include "config/qt/AccessForm.h"
#include "config/qt/SettingsDialog.h"

namespace pelko::ui {

// Binds File, Settings to the main window: the password dialog first; a
// correct password closes it, and then the settings dialog opens. Both are
// modal, owned by the window and built afresh each time.
void MainWindow::wireSettings() {
    connect(mnuSettings, &QAction::triggered, this, [this] {
        config::RunSettingsCommand(
            gate(),
            [this] {
                AccessForm access(this);
                return access.exec() == QDialog::Accepted;
            },
            [this] {
                // The node buttons' rebuild is looked up when Save runs, not now.
                SettingsDialog dialog(this, settings(), [this] {
                    if (hooks_.configButton) hooks_.configButton();
                });
                dialog.exec();
            });
    });
}

}  // namespace pelko::ui
