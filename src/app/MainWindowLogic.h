// The main window's own steps: start-up, resizing and closing. The search,
// the grid, the node buttons and the send are separate classes that the
// window wires in.
#pragma once

#include <functional>

#include "base/Shell.h"
#include "base/Twips.h"

namespace pelko {

namespace config {
class Settings;
}
class ErrorReporter;

inline constexpr int kStartWidthTwips = 13500;
inline constexpr int kGridWidthMarginTwips = 250;
inline constexpr int kGridHeightMarginTwips = 4650;

// The window as the start-up, resize and close steps see it. Lengths are in
// twips of the window's outer size.
class MainWindowView {
public:
    virtual ~MainWindowView() = default;
    virtual void moveToTopLeft() = 0;
    virtual void setOuterWidthTwips(int twips) = 0;
    virtual void setOuterHeightTwips(int twips) = 0;
    virtual int outerWidthTwips() const = 0;
    virtual int outerHeightTwips() const = 0;
    virtual void setGridWidthTwips(int twips) = 0;
    virtual void setGridHeightTwips(int twips) = 0;
};

class MainWindowLogic {
public:
    struct Hooks {
        std::function<void()> configureGrid;  // the result grid's columns
        std::function<void()> rebuildNodes;   // the node buttons, from the file
        std::function<void()> saveMarks;      // the node marks, on closing
    };

    MainWindowLogic(MainWindowView& view, Shell& shell, config::Settings& settings, ErrorReporter& errors,
                    Hooks hooks);

    // Start-up steps after the single-instance check: the early ones are
    // skipped silently when they fail, a failure in the later ones is
    // reported under "Form_Load" and ends the start-up.
    void Load();
    // The grid follows the window's size; each assignment on its own, and a
    // negative size is skipped.
    void Resized();
    // Saves the window height and the node marks.
    void Unload();

private:
    MainWindowView& view_;
    Shell& shell_;
    config::Settings& settings_;
    ErrorReporter& errors_;
    Hooks hooks_;
};

}  // namespace pelko
