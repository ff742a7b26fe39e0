// Pieces shared by the settings dialogs' widgets.
#pragma once

#include <QDialog>
#include <optional>

#include "base/qt/QtSupport.h"

class QKeyEvent;
class QLabel;
class QLineEdit;

namespace pelko::ui {

// A dialog that Escape does not close: no key is bound to "Cancel". The
// title bar's close box still cancels.
class EscapeProofDialog : public QDialog {
public:
    using QDialog::QDialog;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// A bold Tahoma 8.25 pt label at its designed place, grown where the font at
// hand needs more room.
QLabel* AddDialogLabel(QWidget* parent, const char* text, int left, int top, int width, int height);

// Fixed border, no minimise or maximise box, client area of the given size.
void MakeFixedDialog(QDialog* dialog, int width, int height);

// Refuses text with a line break (a paste): the value would otherwise break
// the line structure of Settings.ini.
void RefuseLineBreaks(QLineEdit* field);

// The character a key press types, as the key filters see it: Backspace is
// 8, Ctrl with a letter the control character (Ctrl+V 22, Ctrl+C 3, Ctrl+X
// 24), the clipboard shortcuts their Ctrl+letter codes. nullopt for keys that
// type nothing (Delete, arrows, Tab, Enter, Escape); those pass unfiltered.
std::optional<int> TypedCharacter(const QKeyEvent* event);

}  // namespace pelko::ui
