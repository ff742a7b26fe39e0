#include "config/qt/DialogSupport.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <algorithm>

#include "base/Text.h"

namespace pelko::ui {

void MakeFixedDialog(QDialog* dialog, int width, int height) {
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    dialog->setFixedSize(width, height);
    dialog->setModal(true);
}

void RefuseLineBreaks(QLineEdit* field) {
    static const QRegularExpression noBreaks(QStringLiteral("[^\\r\\n]*"));
    field->setValidator(new QRegularExpressionValidator(noBreaks, field));
}

std::optional<int> TypedCharacter(const QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) return 22;
    if (event->matches(QKeySequence::Copy)) return 3;
    if (event->matches(QKeySequence::Cut)) return 24;
    switch (event->key()) {
        case Qt::Key_Backspace:
            return kBackspace;
        case Qt::Key_Delete:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return std::nullopt;
        default:
            break;
    }
    const auto mods = event->modifiers();
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) && event->key() >= Qt::Key_A &&
        event->key() <= Qt::Key_Z) {
        return event->key() - Qt::Key_A + 1;
    }
    const QString text = event->text();
    if (text.isEmpty()) return std::nullopt;
    return text.at(0).unicode();
}

void EscapeProofDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QLabel* AddDialogLabel(QWidget* parent, const char* text, int left, int top, int width, int height) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setFont(Tahoma(8.25, true));
    const QSize hint = label->sizeHint();
    label->setGeometry(left, top, std::max(width, hint.width()), std::max(height, hint.height()));
    return label;
}

}  // namespace pelko::ui
