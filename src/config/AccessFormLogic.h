// AccessForm: the password prompt in front of the settings dialog, and the
// File, Settings command that leads through it.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace pelko {
class ActionGate;
}

namespace pelko::config {

// The two fixed passwords; both grant the same access.
inline constexpr std::string_view kPasswordMoonwalk = "moonwalk";
inline constexpr std::string_view kPasswordGlimmer = "glimmer";

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kFieldWhite{255, 255, 255};
inline constexpr Rgb kFieldRed{255, 0, 0};

// Exact, case-sensitive comparison of the whole text with either password.
bool IsAccessPassword(std::string_view text);

// What the logic needs from the dialog's widgets.
class AccessFormView {
public:
    virtual ~AccessFormView() = default;
    virtual std::string passwordText() const = 0;
    virtual void setPasswordBackground(Rgb colour) = 0;
    virtual void focusPassword() = 0;
    // Closes the dialog; `granted` tells the caller whether to go on to the
    // settings dialog.
    virtual void closeForm(bool granted) = 0;
};

class AccessFormLogic {
public:
    explicit AccessFormLogic(AccessFormView& view) : view_(view) {}

    // The dialog was shown or became the active window again.
    void Activated() { view_.focusPassword(); }
    // Any edit of the password text.
    void PasswordChanged() { view_.setPasswordBackground(kFieldWhite); }
    // A correct password closes the dialog as granted; a wrong one turns
    // the field red and leaves the dialog and its text as they are.
    void OK();
    void Cancel() { view_.closeForm(false); }

private:
    AccessFormView& view_;
};

// File, Settings: asks for the password (a modal access dialog that has
// closed when `askPassword` returns) and, when it was correct, runs the
// settings dialog modally. Holds the action gate throughout; returns false
// without asking anything while another action runs.
bool RunSettingsCommand(ActionGate& gate, const std::function<bool()>& askPassword,
                        const std::function<void()>& openSettings);

}  // namespace pelko::config
