// Wires the program together: the logs, the DICOM toolkit and the main
// window, guarded against a second running copy.
#include <QApplication>

#include "app/qt/MainWindow.h"
#include "app/qt/SingleInstance.h"
#include "dicom/PumpingToolkit.h"
#include "dicom/dcmtk/DcmtkToolkit.h"
#include "log/Clock.h"
#include "log/Logger.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelko"));
    const QString folder = QCoreApplication::applicationDirPath();

    pelko::ui::SingleInstance instance(folder);
    if (!instance.claim()) return 0;

    pelko::dicom::ConfigureDcmtkLogging();
    pelko::SystemClock clock;
    const std::filesystem::path programFolder = folder.toStdString();
    pelko::Logger logger(programFolder, clock);
    auto dcmtk = pelko::dicom::MakeDcmtkToolkit();
    // Network calls block their handler, not the window.
    pelko::dicom::PumpingToolkit toolkit(*dcmtk, [] { QCoreApplication::processEvents(); });

    pelko::ui::MainWindow window({programFolder, clock, logger, toolkit});
    instance.onSecondCopy([&window] { window.bringToFront(); });
    window.load();
    window.show();
    return QApplication::exec();
}
