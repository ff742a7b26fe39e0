// AccessForm: the password prompt that guards the settings dialog.
#pragma once

#include <QDialog>

#include "config/AccessFormLogic.h"
#include "config/qt/DialogSupport.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace pelko::ui {

class AccessForm : public EscapeProofDialog, private config::AccessFormView {
    Q_OBJECT
public:
    explicit AccessForm(QWidget* owner);

protected:
    void changeEvent(QEvent* event) override;

private:
    // Their object names, which the tests find them by, are set on construction.
    QLineEdit* password_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QLabel* passwordLabel_ = nullptr;

    // AccessFormView
    std::string passwordText() const override;
    void setPasswordBackground(config::Rgb colour) override;
    void focusPassword() override;
    void closeForm(bool granted) override;

    config::AccessFormLogic logic_;
};

}  // namespace pelko::ui
