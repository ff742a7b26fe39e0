// What the logic of the main window and its subsystems needs from the
// windowing layer besides their own controls: message boxes, the caption,
// the busy pointer and a way to let pending events run.
#pragma once

#include <string>

#include "log/ErrorReport.h"

namespace pelko {

class Shell : public MessageBoxes {
public:
    virtual void processEvents() = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual std::string caption() const = 0;
    virtual void setBusyPointer(bool busy) = 0;
};

inline constexpr const char* kAppTitle = "Pelko";

}  // namespace pelko
