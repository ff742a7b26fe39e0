#include "app/qt/MainWindow.h"

namespace pelko::ui {

// Binds the Send button to the main window.
void MainWindow::wireSend() {}

}  // namespace pelko::ui
