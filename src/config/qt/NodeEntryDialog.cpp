#include "config/qt/NodeEntryDialog.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>

#include "config/qt/DialogSupport.h"

namespace pelko::ui {
namespace {

QPushButton* AddButton(QWidget* parent, const char* text, int left, int top) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setFont(Tahoma(8.25, true));
    button->setGeometry(left, top, 91, 28);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

NodeEntryDialog::NodeEntryDialog(QWidget* owner, config::NodeEntryLogic::Mode mode,
                                 const config::NodeRow& initial, config::NodeListEditor& list)
    : EscapeProofDialog(owner), logic_(*this, *this, list, mode) {
    setFont(Tahoma(8.25));
    MakeFixedDialog(this, 309, 152);

    alias_ = new QLineEdit(Q(initial.alias), this);
    alias_->setGeometry(9, 27, 292, 22);
    aet_ = new QLineEdit(this);
    aet_->setGeometry(9, 75, 292, 22);
    // An AE title from the file that is already longer stays whole: the
    // limit stops typing, it does not cut what is there.
    aet_->setMaxLength(std::max<int>(config::kAETMaxLength, static_cast<int>(Q(initial.aet).size())));
    aet_->setText(Q(initial.aet));
    for (auto* field : {alias_, aet_}) {
        RefuseLineBreaks(field);
        field->installEventFilter(this);
    }
    labels_[1] = AddDialogLabel(this, "AET:", 9, 57, 24, 13);
    labels_[0] = AddDialogLabel(this, "Alias:", 9, 9, 30, 13);
    okButton_ = AddButton(this, "Add", 114, 114);
    okButton_->setDefault(true);
    cancelButton_ = AddButton(this, "Cancel", 210, 114);
    // The names the tests and the designed form know them by.
    const std::pair<QObject*, const char*> names[] = {
        {alias_, "txtAlias"},         {aet_, "txtAET"},     {labels_[0], "lblSettings0"},
        {labels_[1], "lblSettings1"}, {okButton_, "cmdOK"}, {cancelButton_, "cmdCancel"},
    };
    for (auto [widget, name] : names) widget->setObjectName(QString::fromLatin1(name));
    setTabOrder(alias_, aet_);
    setTabOrder(aet_, okButton_);
    setTabOrder(okButton_, cancelButton_);

    connect(okButton_, &QPushButton::clicked, this, [this] { logic_.OK(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { logic_.Cancel(); });
    logic_.Opening();
    alias_->setFocus();
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
    okButton_->setText(Q(caption));
}

std::string NodeEntryDialog::aliasText() const {
    return alias_->text().toStdString();
}

std::string NodeEntryDialog::aetText() const {
    return aet_->text().toStdString();
}

void NodeEntryDialog::showError(const std::string& text) {
    ShowError(this, text);
}

void NodeEntryDialog::showErrorWithDetails(const std::string& text, const std::string& details) {
    ShowError(this, text, details);
}

void NodeEntryDialog::showInfo(const std::string& text) {
    ShowInfo(this, text);
}

}  // namespace pelko::ui
