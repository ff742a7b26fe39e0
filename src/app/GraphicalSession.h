// Pelko is a window: without a display server Qt would abort with a message
// that suggests reinstalling. This check runs before Qt starts.
#pragma once

#include <string>

namespace pelko {

// Whether the Qt platform chosen by QT_QPA_PLATFORM (or the -platform
// argument; empty when neither is given) needs a display server: the default,
// xcb and wayland do, offscreen, minimal, vnc and the like do not.
bool NeedsDisplayServer(const std::string& platform);

// Whether a display server is reachable by the environment's DISPLAY or
// WAYLAND_DISPLAY.
bool HasDisplayServer(const char* display, const char* waylandDisplay);

// The one sentence shown when there is no graphical session.
std::string NoDisplayMessage(const std::string& command);

}  // namespace pelko
