// Wires the program together: the logs, the DICOM toolkit and the main
// window, guarded against a second running copy.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/DataFolder.h"
#include "app/Desktop.h"
#include "app/DicomLogSetup.h"
#include "app/qt/MainWindow.h"
#include "app/qt/SingleInstance.h"
#include "config/AppSettings.h"
#include "config/IniFile.h"
#include "dicom/ModuleToolkit.h"
#include "dicom/PumpingToolkit.h"
#include "log/Clock.h"
#include "log/Logger.h"

int main(int argc, char* argv[]) {
    // Before Qt starts: without a display server it would abort with a
    // misleading message. "-platform NAME" on the command line wins over the
    // environment, as in Qt.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0) platform = argv[i + 1];
    }
    if (const std::string missing = pelko::MissingDisplayMessage(platform, argv[0]); !missing.empty()) {
        std::fprintf(stderr, "%s\n", missing.c_str());
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelko"));
    // Settings.ini, Logs/ and the single-instance key live in the program
    // folder, or per user when the program is installed.
    const QString programFolderText = QCoreApplication::applicationDirPath();
    const pelko::InstalledPlaces installed = pelko::InstalledPlacesFor(programFolderText);
    const QString folder =
        pelko::ChooseDataFolder(programFolderText, installed.userFolder, installed.seedFile);

    pelko::ui::SingleInstance instance(folder);
    if (!instance.claim()) {
        if (instance.error().isEmpty()) return 0;  // the running copy comes to the front
        std::fprintf(stderr, "%s\n", qPrintable(instance.error()));
        QMessageBox::critical(nullptr, QStringLiteral("Pelko"), instance.error());
        return 1;
    }

    pelko::SystemClock clock;
    // Paths go to the file system as UTF-16 on Windows, UTF-8 elsewhere.
    const std::filesystem::path programFolder(folder.toStdU16String());
    pelko::Logger logger(programFolder, clock);
    // [Log] Dicom=1: the administrator's DICOM log, for the toolkit's lines.
    const std::unique_ptr<pelko::DicomLog> dicomLog =
        pelko::OpenDicomLog(programFolder, logger.folder(), clock);
    // DCMTK is loaded with the first network call. Network calls block
    // their handler, not the window.
    const std::filesystem::path programDir(programFolderText.toStdU16String());
    pelko::dicom::ModuleToolkit toolkit(
        programDir / pelko::dicom::kDicomModuleFile, dicomLog.get(),
        [](pelko::dicom::Toolkit& loaded) { return std::make_unique<pelko::dicom::PumpingToolkit>(loaded); });

    pelko::ui::MainWindow window({programFolder, clock, logger, toolkit});
    instance.onSecondCopy([&window] { window.bringToFront(); });
    window.load();
    window.show();
    // What can wait for the first paint; it runs before the first click.
    QTimer::singleShot(0, [&programFolder] {
        pelko::config::RemoveLeftoverTempFiles(pelko::config::SettingsPath(programFolder));
    });
    return QApplication::exec();
}
