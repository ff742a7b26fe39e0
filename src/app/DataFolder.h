// The folder where Pelko keeps Settings.ini, Logs/ and the saved marks, and
// by which the single-instance guard tells copies apart.
//
// A portable Pelko (the build folder, a folder copied anywhere) keeps them
// beside the program, as it always has. An installed Pelko, told apart by the
// marker file that the installation puts beside the program, keeps them in
// each user's own folder, seeded on the first start from an administrator's
// Settings.ini (the places are the platform's: app/Desktop.h).
#pragma once

#include <QString>

namespace pelko {

// Chooses the data folder. For an installed Pelko that is userFolder,
// created when needed; when it holds no Settings.ini yet, the seed file (if
// any) is copied into it. When there is no per-user folder to be had, the
// program folder it is.
QString ChooseDataFolder(const QString& programFolder, const QString& userFolder, const QString& seedFile);

}  // namespace pelko
