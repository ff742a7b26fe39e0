#include "send/qt/SendButton.h"

#include "base/qt/QtSupport.h"

namespace pelko::ui {

SendButton::SendButton(QWidget* parent) : QPushButton(QStringLiteral("Send"), parent) {
    setObjectName(QStringLiteral("cmdSend"));
    setFont(Tahoma(36, true));
    setEnabled(false);
    connect(this, &QPushButton::clicked, this, [this] {
        if (logic_) logic_->Send();
    });
}

void SendButton::bind(Shell& shell, config::Settings& settings, ErrorReporter& errors,
                      dicom::Toolkit& toolkit, const query::StudySelection& grid,
                      const send::NodeSlots& nodes, ActionGate& gate) {
    logic_ = std::make_unique<send::Sender>(shell, static_cast<send::SendSwitch&>(*this), settings, errors,
                                            toolkit, grid, nodes, gate);
}

SendButton::~SendButton() = default;

}  // namespace pelko::ui
