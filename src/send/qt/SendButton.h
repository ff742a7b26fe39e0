// "Send": the big button of the main window, owning the send logic. It
// starts disabled; picking a study in the grid enables it. The logic is
// bound once the grid and the node buttons exist.
#pragma once

#include <QPushButton>
#include <memory>

#include "send/Sender.h"

namespace pelko::ui {

class SendButton : public QPushButton, private send::SendSwitch {
    Q_OBJECT
public:
    explicit SendButton(QWidget* parent);
    ~SendButton() override;

    // Creates the send logic; a click before this does nothing.
    void bind(Shell& shell, config::Settings& settings, ErrorReporter& errors, dicom::Toolkit& toolkit,
              const query::StudySelection& grid, const send::NodeSlots& nodes, ActionGate& gate);

    // The progress window of move-mode sends; call after bind.
    void setProgress(send::SendProgress& progress) { logic_->setProgress(&progress); }
    // The send logic, for "Send series"; call after bind.
    send::Sender& sender() { return *logic_; }

private:
    void disableSend() override { setEnabled(false); }

    std::unique_ptr<send::Sender> logic_;
};

}  // namespace pelko::ui
