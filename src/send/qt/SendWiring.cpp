#include "app/qt/MainWindow.h"

namespace pelko::ui {

// Binds the Send button to the main window.
void MainWindow::wireSend() {
    connect(cmdSend, &QPushButton::clicked, this, [this] { sender().Send(); });
}

// Made on first use: the action gate belongs to the window's logic, which
// exists only after the wiring.
send::Sender& MainWindow::sender() {
    if (!sender_) {
        sender_ = std::make_unique<send::Sender>(*this, settings_, errors_, services_.toolkit, resultGrid(),
                                                 *nodeSlots_, gate());
    }
    return *sender_;
}

}  // namespace pelko::ui
