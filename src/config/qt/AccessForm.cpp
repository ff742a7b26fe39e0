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
    setFont(DialogFont(QStringLiteral("MS Sans Serif"), 9.75));

    txtPassword = new QLineEdit(this);
    txtPassword->setGeometry(8, 40, 241, 25);
    txtPassword->setEchoMode(QLineEdit::Password);
    // Created after the field, so that it is destroyed after it.
    auto* stars = new StarPasswordStyle;
    stars->setParent(this);
    txtPassword->setStyle(stars);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setGeometry(80, 80, 81, 33);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setGeometry(168, 80, 81, 33);
    cmdCancel->setAutoDefault(false);
    Label1 = new QLabel(QStringLiteral("Password:"), this);
    Label1->setGeometry(8, 16, 63, 16);
    for (auto [widget, name] : std::initializer_list<std::pair<QObject*, const char*>>{
             {txtPassword, "txtPassword"}, {cmdOK, "cmdOK"}, {cmdCancel, "cmdCancel"}, {Label1, "Label1"}}) {
        widget->setObjectName(QString::fromLatin1(name));
    }
    setTabOrder(txtPassword, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(txtPassword, &QLineEdit::textChanged, this, [this] { logic_.PasswordChanged(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { logic_.OK(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { logic_.Cancel(); });
    txtPassword->setFocus();
}

void AccessForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) logic_.Activated();
}

std::string AccessForm::passwordText() const {
    return txtPassword->text().toStdString();
}

void AccessForm::setPasswordBackground(config::Rgb colour) {
    QPalette p = txtPassword->palette();
    p.setColor(QPalette::Base, QColor(colour.red, colour.green, colour.blue));
    txtPassword->setPalette(p);
}

void AccessForm::focusPassword() {
    txtPassword->setFocus(Qt::ActiveWindowFocusReason);
}

void AccessForm::closeForm(bool granted) {
    if (granted) {
        accept();
    } else {
        reject();
    }
}

}  // namespace pelko::ui
