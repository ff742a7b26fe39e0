#include "app/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/Desktop.h"

namespace pelko {

namespace {

void SeedSettings(const QString& seedFile, const QString& userFolder) {
    const QString target = QDir(userFolder).filePath(QStringLiteral("Settings.ini"));
    if (QFileInfo::exists(target)) return;
    QFile in(seedFile);
    if (!in.open(QIODevice::ReadOnly)) return;
    const QByteArray bytes = in.readAll();
    // Written under a temporary name first, so that a half-copied file never
    // looks like a seeded one.
    const QString temporary = target + QStringLiteral(".seed");
    QFile out(temporary);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    const bool written = out.write(bytes) == bytes.size() && out.flush();
    out.close();
    if (!written || !QFile::rename(temporary, target)) QFile::remove(temporary);
}

}  // namespace

QString ChooseDataFolder(const QString& programFolder, const QString& userFolder, const QString& seedFile) {
    const bool installed = QFileInfo::exists(QDir(programFolder).filePath(QLatin1String(kInstalledMarker)));
    // Without a usable per-user folder (no home folder), the program folder
    // stays the data folder; writes to it then fail quietly.
    if (!installed || userFolder.isEmpty() || !QDir().mkpath(userFolder)) return programFolder;
    SeedSettings(seedFile, userFolder);
    return userFolder;
}

}  // namespace pelko
