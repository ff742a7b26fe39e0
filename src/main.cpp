// Wires the program together: the logs, the DICOM toolkit and the main
// window, guarded against a second running copy.
#include <QApplication>
#include <QMessageBox>
#include <cstdio>

#include "app/qt/MainWindow.h"
#include "app/qt/SingleInstance.h"
#include "config/AppSettings.h"
#include "config/IniFile.h"
#include "dicom/PumpingToolkit.h"
#include "dicom/dcmtk/DcmtkToolkit.h"
#include "log/Clock.h"
#include "log/Logger.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelko"));
    const QString folder = QCoreApplication::applicationDirPath();

    pelko::ui::SingleInstance instance(folder);
    if (!instance.claim()) {
        if (instance.error().isEmpty()) return 0;  // the running copy comes to the front
        std::fprintf(stderr, "%s\n", qPrintable(instance.error()));
        QMessageBox::critical(nullptr, QStringLiteral("Pelko"), instance.error());
        return 1;
    }

    pelko::dicom::ConfigureDcmtkLogging();
    pelko::SystemClock clock;
    const std::filesystem::path programFolder = folder.toStdString();
    pelko::config::RemoveLeftoverTempFiles(pelko::config::SettingsPath(programFolder));
    pelko::Logger logger(programFolder, clock);
    auto dcmtk = pelko::dicom::MakeDcmtkToolkit();
    // Network calls block their handler, not the window.
    pelko::dicom::PumpingToolkit toolkit(*dcmtk);

    pelko::ui::MainWindow window({programFolder, clock, logger, toolkit});
    instance.onSecondCopy([&window] { window.bringToFront(); });
    window.load();
    window.show();
    return QApplication::exec();
}
