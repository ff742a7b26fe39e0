// "Send": the big button of the main window, owning the send logic. It
// starts disabled; picking a study in the grid enables it.
#pragma once

#include <QPushButton>
#include <memory>

#include "send/Sender.h"

namespace pelko::ui {

class SendButton : public QPushButton {
    Q_OBJECT
public:
    SendButton(Shell& shell, config::Settings& settings, ErrorReporter& errors, dicom::Toolkit& toolkit,
               const query::ResultGridView& grid, const send::NodeSlots& nodes, ActionGate& gate,
               QWidget* parent);
    ~SendButton() override;

private:
    std::unique_ptr<send::Sender> logic_;
};

}  // namespace pelko::ui
