#include "app/qt/MainWindow.h"

namespace pelko::ui {

// Binds the Send button to the main window.
void MainWindow::wireSend() {
    sender_ = std::make_unique<send::Sender>(*this, settings_, errors_, services_.toolkit, resultGrid(),
                                             *nodeSlots_, gate());
    connect(cmdSend, &QPushButton::clicked, this, [this] { sender_->Send(); });
}

send::Sender& MainWindow::sender() { return *sender_; }

}  // namespace pelko::ui
