#include <shlobj.h>
#include <windows.h>

#include <QDir>

#include "app/Desktop.h"

namespace pelko {

const char kInstalledMarker[] = "Pelko.installed";

InstalledPlaces InstalledPlacesFor(const QString& programFolder) {
    InstalledPlaces places;
    wchar_t* roaming = nullptr;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &roaming))) {
        places.userFolder = QDir(QDir::fromNativeSeparators(QString::fromWCharArray(roaming)))
                                .filePath(QStringLiteral("Pelko"));
    }
    ::CoTaskMemFree(roaming);
    places.seedFile = QDir(programFolder).filePath(QStringLiteral("Settings.ini"));
    return places;
}

std::string MissingDisplayMessage(const char* /*platform*/, const std::string& /*command*/) {
    // A Windows session always has its desktop.
    return {};
}

}  // namespace pelko
