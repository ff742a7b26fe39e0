// AccessForm: the password prompt that guards the settings dialog.
#pragma once

#include "config/qt/DialogSupport.h"

#include <QDialog>

#include "config/AccessFormLogic.h"

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
    // Found by object name in the widget tests.
    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QLabel* Label1 = nullptr;

    // AccessFormView
    std::string passwordText() const override;
    void setPasswordBackground(config::Rgb colour) override;
    void focusPassword() override;
    void closeForm(bool granted) override;

    config::AccessFormLogic logic_;
};

}  // namespace pelko::ui
