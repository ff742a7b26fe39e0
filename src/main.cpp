// Wires the program together: the logs, the DICOM toolkit and the main
// window, guarded against a second running copy.
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/DataFolder.h"
#include "app/DicomLogSetup.h"
#include "app/GraphicalSession.h"
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
    if (pelko::NeedsDisplayServer(platform ? platform : "") &&
        !pelko::HasDisplayServer(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"))) {
        std::fprintf(stderr, "%s\n", pelko::NoDisplayMessage(argv[0]).c_str());
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelko"));
    // Settings.ini, Logs/ and the single-instance key live in the program
    // folder, or per user when the program is installed.
    const QString folder =
        pelko::ChooseDataFolder(QCoreApplication::applicationDirPath(),
                                QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
                                QString::fromLatin1(pelko::kAdministratorSettings));

    pelko::ui::SingleInstance instance(folder);
    if (!instance.claim()) {
        if (instance.error().isEmpty()) return 0;  // the running copy comes to the front
        std::fprintf(stderr, "%s\n", qPrintable(instance.error()));
        QMessageBox::critical(nullptr, QStringLiteral("Pelko"), instance.error());
        return 1;
    }

    pelko::SystemClock clock;
    const std::filesystem::path programFolder = folder.toStdString();
    pelko::Logger logger(programFolder, clock);
    // [Log] Dicom=1: the administrator's DICOM log, for the toolkit's lines.
    const std::unique_ptr<pelko::DicomLog> dicomLog =
        pelko::OpenDicomLog(programFolder, logger.folder(), clock);
    // DCMTK is loaded with the first network call. Network calls block
    // their handler, not the window.
    const std::filesystem::path programDir =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
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
