#include "app/qt/MainWindow.h"
#include "send/qt/QtNodeButtonsView.h"

namespace pelko::ui {

// Binds the node buttons and the "..." menu to the main window.
void MainWindow::wireNodes() {
    nodeButtonsView_ = std::make_unique<QtNodeButtonsView>(
        *this, [this](const send::NodeMenuItem& item) { nodeSlots_->ChooseMenuItem(item); });
    nodeSlots_ = std::make_unique<send::NodeSlots>(*nodeButtonsView_, *this, settings_, errors_);

    for (int i = 0; i < send::kNodeSlots; ++i) {
        connect(cmdNode[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { nodeSlots_->NodeClicked(i); });
    }
    connect(cmdMore, &QPushButton::clicked, this, [this] { nodeSlots_->OpenMoreMenu(); });

    hooks_.configButton = [this] { nodeSlots_->ConfigButton(); };
    hooks_.saveActive = [this] { nodeSlots_->SaveActive(); };
}

}  // namespace pelko::ui
