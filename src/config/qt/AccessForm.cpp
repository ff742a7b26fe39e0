#include "config/qt/AccessForm.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>

#include "config/qt/DialogSupport.h"

namespace pelko::ui {
namespace {

// Shows every character of a password field as "*".
class StarPasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter) return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

AccessForm::AccessForm(QWidget* owner) : EscapeProofDialog(owner), logic_(*this) {
    setWindowTitle(QStringLiteral("Authentification"));
    MakeFixedDialog(this, 258, 123);
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(224, 224, 224));
    setPalette(background);
    setAutoFillBackground(true);
    setFont(Font(QStringLiteral("MS Sans Serif"), 9.75));

    password_ = new QLineEdit(this);
    password_->setGeometry(8, 40, 241, 25);
    password_->setEchoMode(QLineEdit::Password);
    // Created after the field, so that it is destroyed after it.
    auto* stars = new StarPasswordStyle;
    stars->setParent(this);
    password_->setStyle(stars);
    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setGeometry(80, 80, 81, 33);
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setGeometry(168, 80, 81, 33);
    cancelButton_->setAutoDefault(false);
    passwordLabel_ = new QLabel(QStringLiteral("Password:"), this);
    passwordLabel_->setGeometry(8, 16, 63, 16);
    // The names the tests and the designed form know them by.
    const std::pair<QObject*, const char*> names[] = {
        {password_, "txtPassword"},
        {okButton_, "cmdOK"},
        {cancelButton_, "cmdCancel"},
        {passwordLabel_, "Label1"},
    };
    for (auto [widget, name] : names) widget->setObjectName(QString::fromLatin1(name));
    setTabOrder(password_, okButton_);
    setTabOrder(okButton_, cancelButton_);

    connect(password_, &QLineEdit::textChanged, this, [this] { logic_.PasswordChanged(); });
    connect(okButton_, &QPushButton::clicked, this, [this] { logic_.OK(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { logic_.Cancel(); });
    password_->setFocus();
}

void AccessForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) logic_.Activated();
}

std::string AccessForm::passwordText() const {
    return password_->text().toStdString();
}

void AccessForm::setPasswordBackground(config::Rgb colour) {
    QPalette p = password_->palette();
    p.setColor(QPalette::Base, QColor(colour.red, colour.green, colour.blue));
    password_->setPalette(p);
}

void AccessForm::focusPassword() {
    password_->setFocus(Qt::ActiveWindowFocusReason);
}

void AccessForm::closeForm(bool granted) {
    if (granted) {
        accept();
    } else {
        reject();
    }
}

}  // namespace pelko::ui
