#include "app/DataFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace pelko {

bool BitsAllowWriting(const FolderAccess& folder, const UserIds& user) {
    if (folder.owner == user.uid) return (folder.mode & S_IWUSR) != 0;
    if (std::find(user.groups.begin(), user.groups.end(), folder.group) != user.groups.end()) {
        return (folder.mode & S_IWGRP) != 0;
    }
    return (folder.mode & S_IWOTH) != 0;
}

namespace {

UserIds CurrentUser() {
    UserIds user;
    user.uid = geteuid();
    user.groups.push_back(getegid());
    const int count = getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> more(static_cast<std::size_t>(count));
        const int got = getgroups(count, more.data());
        if (got > 0) user.groups.insert(user.groups.end(), more.begin(), more.begin() + got);
    }
    return user;
}

void SeedSettings(const QString& programFolder, const QString& userFolder) {
    const QString target = QDir(userFolder).filePath(QStringLiteral("Settings.ini"));
    const QString source = QDir(programFolder).filePath(QStringLiteral("Settings.ini"));
    if (QFileInfo::exists(target) || !QFileInfo::exists(source)) return;
    QFile in(source);
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

bool FolderIsWritable(const QString& folder) {
    struct stat info {};
    const QByteArray path = QFile::encodeName(folder);
    if (stat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
    const FolderAccess access{info.st_uid, info.st_gid, static_cast<unsigned>(info.st_mode & 07777)};
    return BitsAllowWriting(access, CurrentUser()) && ::access(path.constData(), W_OK) == 0;
}

QString ChooseDataFolder(const QString& programFolder, const QString& userFolder) {
    // Without a usable per-user folder (no home folder), the program folder
    // stays the data folder; writes to it then fail quietly as they always
    // have on a read-only folder.
    if (FolderIsWritable(programFolder) || userFolder.isEmpty() || !QDir().mkpath(userFolder)) {
        return programFolder;
    }
    SeedSettings(programFolder, userFolder);
    return userFolder;
}

}  // namespace pelko
