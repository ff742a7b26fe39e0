#include "app/GraphicalSession.h"

#include <sstream>

namespace pelko {

bool NeedsDisplayServer(const std::string& platform) {
    // A list such as "wayland;xcb" is tried in order; options follow a colon.
    std::istringstream list(platform);
    std::string entry;
    while (std::getline(list, entry, ';')) {
        entry = entry.substr(0, entry.find(':'));
        if (entry.empty()) continue;
        if (entry != "xcb" && entry.rfind("wayland", 0) != 0) return false;
    }
    return true;
}

bool HasDisplayServer(const char* display, const char* waylandDisplay) {
    return (display != nullptr && *display != '\0') || (waylandDisplay != nullptr && *waylandDisplay != '\0');
}

std::string NoDisplayMessage(const std::string& command) {
    return "Pelko needs a graphical session, but neither DISPLAY nor WAYLAND_DISPLAY is set; "
           "to try it on a virtual display (Debian package xvfb), run: xvfb-run -a " +
           command;
}

}  // namespace pelko
