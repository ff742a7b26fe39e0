// The real main window as main() builds it, on the real DCMTK toolkit (the
// built module, loaded on the first call) run through the pumped waits, against Orthanc and a storescp
// destination: driven by its controls' names, offscreen, as a user would.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/DicomLogSetup.h"
#include "app/qt/MainWindow.h"
#include "dicom/ModuleToolkit.h"
#include "dicom/PumpingToolkit.h"
#include "e2e/Workstation.h"
#include "log/Clock.h"
#include "peers/OrthancFixture.h"
#include "peers/StoreScpFixture.h"
#include "ui/Controls.h"

namespace pelko::test {
namespace {

// Closes every message box as soon as it shows, and keeps its text.
class BoxCloser : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box != nullptr && event->type() == QEvent::Show) {
            texts.push_back(box->text().toStdString());
            QMetaObject::invokeMethod(
                box, [box] { box->done(0); }, Qt::QueuedConnection);
        }
        return false;
    }
    std::vector<std::string> texts;
};

std::string ReadText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// With [Log] Dicom=1 or without the key.
class WindowOverTheNetwork : public ::testing::TestWithParam<bool> {};

TEST_P(WindowOverTheNetwork, SearchFillsTheGridAndSendMovesTheStudy) {
    const bool dicomLogOn = GetParam();
    StoreScpFixture destination("DEST1");
    OrthancFixture orthanc({{"DEST1", destination.port()}});
    const std::string uid = "1.2.826.0.1.3680043.9.7311.710.1";
    orthanc.CreateInstance(R"({"PatientName": "Doe^Anna", "PatientID": "P1", "StudyDate": "20240301",
                               "StudyInstanceUID": ")" +
                           uid + R"(", "SOPClassUID": "1.2.840.10008.5.1.4.1.1.7", "Modality": "OT"})");
    TempDir dir;
    IniValues ini;
    ini.archiveAet = orthanc.aet();
    ini.archivePort = orthanc.dicomPort();
    ini.nodes = {"First|DEST1"};
    WriteBytes(dir / "Settings.ini", SettingsText(ini) + (dicomLogOn ? "[Log]\r\nDicom=1\r\n" : ""));

    // As main() wires it.
    SystemClock clock;
    Logger logger(dir.path(), clock);
    const auto dicomLog = OpenDicomLog(dir.path(), logger.folder(), clock);
    dicom::ModuleToolkit toolkit(PELKO_DICOM_MODULE, dicomLog.get(), [](dicom::Toolkit& loaded) {
        return std::make_unique<dicom::PumpingToolkit>(loaded);
    });
    ui::MainWindow window({dir.path(), clock, logger, toolkit});
    BoxCloser boxes;
    qApp->installEventFilter(&boxes);
    window.load();
    window.show();

    Control<QLineEdit>(&window, "txtName2")->setText("Doe*");
    Control<QPushButton>(&window, "cmdSearch")->click();
    auto* grid = Control<QTableView>(&window, "grid1");
    ASSERT_EQ(grid->model()->rowCount(), 1) << (boxes.texts.empty() ? "" : boxes.texts[0]);
    QStringList shown;
    for (int column = 0; column < grid->model()->columnCount(); ++column) {
        shown << grid->model()->index(0, column).data().toString();
    }
    EXPECT_TRUE(shown.contains("Doe Anna")) << shown.join('|').toStdString();

    grid->selectRow(0);
    Control<QPushButton>(&window, "cmdNode0")->click();
    auto* send = Control<QPushButton>(&window, "cmdSend");
    ASSERT_TRUE(send->isEnabled());
    send->click();

    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Sending was successful (1 / 1) to DEST1.\n\n"});
    ASSERT_TRUE(destination.WaitForFiles(1, std::chrono::seconds(20)));
    EXPECT_EQ(destination.StudyUIDs(), std::vector<std::string>{uid});
    qApp->removeEventFilter(&boxes);

    const auto file = dir / "Logs/Dicom.log";
    ASSERT_EQ(std::filesystem::exists(file), dicomLogOn);
    if (!dicomLogOn) return;
    const std::string text = ReadText(file);
    const std::string archive = orthanc.aet() + " (127.0.0.1:" + std::to_string(orthanc.dicomPort()) + ")";
    for (const std::string& part : {
             "Association from " + std::string(kOurAet) + " to " + archive + " accepted, no TLS",
             "C-FIND on " + archive + ": identifier ",
             std::string("(0010,0010)=Doe*"),
             "C-MOVE of study " + uid + " to DEST1 on " + archive +
                 ": status 0x0000 (Success), 1 completed, 0 failed, 0 warning",
         }) {
        EXPECT_NE(text.find(part), std::string::npos) << "lacks: " << part << "\n" << text;
    }
}

INSTANTIATE_TEST_SUITE_P(, WindowOverTheNetwork, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "DicomLog" : "NoDicomLog"; });

}  // namespace
}  // namespace pelko::test

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
