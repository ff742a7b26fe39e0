#include "app/qt/MainWindow.h"

namespace pelko::ui {

// Binds the node buttons and the "..." menu to the main window.
void MainWindow::wireNodes() {}

}  // namespace pelko::ui
