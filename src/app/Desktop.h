// What the desktop of the platform gives the program at start: where an
// installed Pelko keeps each user's data, and whether there is a screen to
// show the window on. One file per platform (DesktopPosix.cpp,
// DesktopWindows.cpp).
#pragma once

#include <QString>
#include <string>

namespace pelko {

// The file beside the program that marks an installed Pelko ("installed";
// "Pelko.installed" on Windows, which the installer writes).
extern const char kInstalledMarker[];

// The places an installed Pelko of `programFolder` uses: each user's own
// data folder (~/.config/Pelko; %APPDATA%\Pelko on Windows), empty when
// the user has none, and the administrator's Settings.ini that seeds it
// (/etc/pelko/Settings.ini; the Settings.ini beside Pelko.exe on Windows).
struct InstalledPlaces {
    QString userFolder;
    QString seedFile;
};
InstalledPlaces InstalledPlacesFor(const QString& programFolder);

// The sentence to end with when the window cannot be shown for want of a
// display server (X11 or Wayland, for the Qt platform `platform` names);
// empty when it can be shown.
std::string MissingDisplayMessage(const char* platform, const std::string& command);

}  // namespace pelko
