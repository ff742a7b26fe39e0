// The main window, the composition root: it places each subsystem's widgets
// at their designed places, builds the menus and connects them. Its own
// steps (start-up, resizing, closing) live in MainWindowLogic; every other
// behaviour lives in the subsystems' widgets and their logic.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <filesystem>
#include <memory>

#include "app/MainWindowLogic.h"
#include "base/ActionGate.h"
#include "base/Shell.h"
#include "config/AppSettings.h"
#include "config/Settings.h"
#include "log/ErrorReport.h"

class QPushButton;

namespace pelko {
class Clock;
class Logger;
namespace dicom {
class Toolkit;
}
namespace query {
class ConnectionTest;
struct StudyRow;
}  // namespace query
}  // namespace pelko

namespace pelko::ui {

class NodeButtons;
class ResultGridWidget;
class SearchPanel;
class SearchPresets;
class SendButton;
class SendProgressOnDemand;
class SeriesWindow;

// What the window is built from: the program folder, the clock, the logs
// and the DICOM toolkit.
struct AppServices {
    std::filesystem::path programFolder;
    const Clock& clock;
    Logger& logger;
    dicom::Toolkit& toolkit;
};

class MainWindow : public QMainWindow, private Shell, private MainWindowView {
    Q_OBJECT
public:
    explicit MainWindow(const AppServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs the start-up steps; call before the first show.
    void load();
    // Brings the window to the front (a second copy was started).
    void bringToFront();

    // The gate every action of the window passes.
    ActionGate& gate() { return gate_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildWidgets();
    void buildMenus();
    void setFocusOrder();
    QSize frameExtra() const;
    // A study opened from the grid: its Series window, in place of the last.
    void openSeries(const query::StudyRow& study);

    // Shell
    void showError(const std::string& text) override;
    void showErrorWithDetails(const std::string& text, const std::string& details) override;
    void showInfo(const std::string& text) override;
    void processEvents() override;
    void setCaption(const std::string& caption) override;
    std::string caption() const override;
    void setBusyPointer(bool busy) override;

    // MainWindowView
    void moveToTopLeft() override;
    void setOuterWidthTwips(int twips) override;
    void setOuterHeightTwips(int twips) override;
    int outerWidthTwips() const override;
    int outerHeightTwips() const override;
    void setGridWidthTwips(int twips) override;
    void setGridHeightTwips(int twips) override;

    AppServices services_;
    ActionGate gate_;
    config::AppSettings appSettings_;
    ErrorReporter errors_;
    config::Settings settings_;
    std::unique_ptr<MainWindowLogic> logic_;
    std::unique_ptr<query::ConnectionTest> connectionTest_;
    std::unique_ptr<SendProgressOnDemand> sendProgress_;
    bool unloaded_ = false;
    bool shownOnce_ = false;
    bool activatedOnce_ = false;
    QSize outerSize_;  // as the start-up set it, frame included

    // The subsystems' widgets, owned by Qt's parent chain.
    QWidget* gridArea_ = nullptr;  // the grid lives in here and fills it
    ResultGridWidget* grid_ = nullptr;
    SearchPanel* searchPanel_ = nullptr;
    SearchPresets* searchPresets_ = nullptr;
    NodeButtons* nodeButtons_ = nullptr;
    SendButton* sendButton_ = nullptr;
    QPointer<SeriesWindow> series_;  // closes itself
};

}  // namespace pelko::ui
