#include "app/qt/MainWindow.h"

namespace pelko::ui {

// Binds the search panel and the result grid to the main window.
void MainWindow::wireSearch() {}

}  // namespace pelko::ui
