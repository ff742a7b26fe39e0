// The folder where Pelko keeps Settings.ini, Logs/ and the saved marks, and
// by which the single-instance guard tells copies apart.
//
// A program folder that the user may write to is the data folder, as it has
// always been. An installed, read-only program folder is not: then every user
// gets a folder of their own (for example ~/.config/Pelko), seeded once from a
// Settings.ini that an administrator placed beside the program.
#pragma once

#include <QString>
#include <sys/types.h>

#include <vector>

namespace pelko {

// Owner, group and permission bits of a folder, and who asks.
struct FolderAccess {
    uid_t owner = 0;
    gid_t group = 0;
    unsigned mode = 0;  // the st_mode permission bits, e.g. 0755
};
struct UserIds {
    uid_t uid = 0;
    std::vector<gid_t> groups;  // primary and supplementary
};

// Whether the permission bits give this user write access. Root gets no
// exception: its override of the bits would make every installed folder
// "writable", so root counts as the owner, group member or other like anyone.
bool BitsAllowWriting(const FolderAccess& folder, const UserIds& user);

// Whether the current user may keep files in the folder: the bits allow it
// and the file system does too (not mounted read-only).
bool FolderIsWritable(const QString& folder);

// Chooses the data folder. userFolder is the per-user folder to use when the
// program folder is not writable; it is created when needed, and a
// Settings.ini beside the program is copied into it when it has none yet.
// When there is no per-user folder to be had, the program folder it is.
QString ChooseDataFolder(const QString& programFolder, const QString& userFolder);

}  // namespace pelko
