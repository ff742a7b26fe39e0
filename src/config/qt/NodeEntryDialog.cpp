#include "config/qt/NodeEntryDialog.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "base/Shell.h"
#include "config/qt/DialogSupport.h"

namespace pelko::ui {
namespace {

const QString kTahoma = QStringLiteral("Tahoma");

QPushButton* AddButton(QWidget* parent, const char* text, int left, int top) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setFont(DialogFont(kTahoma, 8.25, true));
    button->setGeometry(left, top, 91, 28);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

NodeEntryDialog::NodeEntryDialog(QWidget* owner, config::NodeEntryLogic::Mode mode,
                                 const config::NodeRow& initial, config::NodeListEditor& list)
    : EscapeProofDialog(owner), logic_(*this, *this, list, mode) {
    setFont(DialogFont(kTahoma, 8.25));
    MakeFixedDialog(this, 309, 152);

    txtAlias = new QLineEdit(Q(initial.alias), this);
    txtAlias->setGeometry(9, 27, 292, 22);
    txtAET = new QLineEdit(this);
    txtAET->setGeometry(9, 75, 292, 22);
    // An AE title from the file that is already longer stays whole: the
    // limit stops typing, it does not cut what is there.
    txtAET->setMaxLength(std::max<int>(config::kAETMaxLength, static_cast<int>(Q(initial.aet).size())));
    txtAET->setText(Q(initial.aet));
    for (auto* field : {txtAlias, txtAET}) {
        RefuseLineBreaks(field);
        field->installEventFilter(this);
    }
    lblSettings[1] = AddDialogLabel(this, "AET:", 9, 57, 24, 13);
    lblSettings[0] = AddDialogLabel(this, "Alias:", 9, 9, 30, 13);
    cmdOK = AddButton(this, "Add", 114, 114);
    cmdOK->setDefault(true);
    cmdCancel = AddButton(this, "Cancel", 210, 114);
    for (auto [widget, name] : std::initializer_list<std::pair<QObject*, const char*>>{
             {txtAlias, "txtAlias"}, {txtAET, "txtAET"}, {lblSettings[0], "lblSettings0"}, {lblSettings[1], "lblSettings1"}, {cmdOK, "cmdOK"}, {cmdCancel, "cmdCancel"}}) {
        widget->setObjectName(QString::fromLatin1(name));
    }
    setTabOrder(txtAlias, txtAET);
    setTabOrder(txtAET, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, [this] { logic_.OK(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { logic_.Cancel(); });
    logic_.Opening();
    txtAlias->setFocus();
}

// A field that receives the focus shows the caret after its last character,
// nothing selected. The field's own focus handling (which selects all on Tab)
// runs after this filter, hence the deferred move.
bool NodeEntryDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        auto* field = qobject_cast<QLineEdit*>(watched);
        if (field) {
            QTimer::singleShot(0, field, [field] {
                field->deselect();
                field->end(false);
            });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void NodeEntryDialog::setCaption(const std::string& caption) {
    setWindowTitle(Q(caption));
}

void NodeEntryDialog::setOKCaption(const std::string& caption) {
    cmdOK->setText(Q(caption));
}

std::string NodeEntryDialog::aliasText() const {
    return txtAlias->text().toStdString();
}

std::string NodeEntryDialog::aetText() const {
    return txtAET->text().toStdString();
}

void NodeEntryDialog::showError(const std::string& text) {
    QMessageBox::critical(this, QString::fromUtf8(kAppTitle), Q(text));
}

void NodeEntryDialog::showInfo(const std::string& text) {
    QMessageBox::information(this, QString::fromUtf8(kAppTitle), Q(text));
}

}  // namespace pelko::ui
