#include <QStandardPaths>
#include <cstdlib>

#include "app/Desktop.h"
#include "app/GraphicalSession.h"

namespace pelko {

const char kInstalledMarker[] = "installed";

InstalledPlaces InstalledPlacesFor(const QString& /*programFolder*/) {
    return {QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
            QStringLiteral("/etc/pelko/Settings.ini")};
}

std::string MissingDisplayMessage(const char* platform, const std::string& command) {
    if (!NeedsDisplayServer(platform ? platform : "") ||
        HasDisplayServer(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"))) {
        return {};
    }
    return NoDisplayMessage(command);
}

}  // namespace pelko
