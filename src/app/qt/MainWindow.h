// The main window's widgets. Its steps live in MainWindowLogic; the search,
// the result grid, the node buttons, the send and the settings dialogs are
// wired in by their own subsystems (wire*() below, each defined in its
// subsystem's qt folder).
#pragma once

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <array>
#include <filesystem>
#include <memory>

#include "app/ActionGate.h"
#include "app/MainWindowLogic.h"
#include "app/Shell.h"
#include "config/AppSettings.h"
#include "config/Settings.h"
#include "log/ErrorReport.h"
#include "query/ResultGridView.h"
#include "send/NodeSlots.h"
#include "send/Sender.h"

namespace pelko {
class Clock;
class Logger;
namespace dicom {
class Toolkit;
}
}  // namespace pelko

namespace pelko::ui {

class OptionalDateEdit;

// What the window is built from: the program folder, the clock, the logs
// and the DICOM toolkit.
struct AppServices {
    std::filesystem::path programFolder;
    const Clock& clock;
    Logger& logger;
    dicom::Toolkit& toolkit;
};

// Twips to pixels at 96 dpi.
constexpr int Px(int twips) { return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel; }

class MainWindow : public QMainWindow, public Shell, public MainWindowView {
    Q_OBJECT
public:
    explicit MainWindow(const AppServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs the start-up steps; call before the first show.
    void load();
    // Brings the window to the front (a second copy was started).
    void bringToFront();

    // Shell
    void showError(const std::string& text) override;
    void showInfo(const std::string& text) override;
    void processEvents() override;
    void setCaption(const std::string& caption) override;
    std::string caption() const override;
    void setBusyPointer(bool busy) override;
    void setSendEnabled(bool enabled) override;

    // MainWindowView
    void moveToTopLeft() override;
    void setOuterWidthTwips(int twips) override;
    void setOuterHeightTwips(int twips) override;
    int outerWidthTwips() const override;
    int outerHeightTwips() const override;
    void setGridWidthTwips(int twips) override;
    void setGridHeightTwips(int twips) override;
    void setDatePickersTo(std::chrono::year_month_day today) override;
    void fillSexList(const std::vector<std::string>& items) override;
    void clearDatePickerTicks() override;

    // Controls, for the subsystems' bindings and the widget tests.
    QPushButton* cmdToday = nullptr;
    QPushButton* cmdYesterday = nullptr;
    QPushButton* cmdWeek = nullptr;
    QPushButton* cmdSend = nullptr;
    QFrame* fraSearch = nullptr;
    QWidget* picSearch = nullptr;
    QWidget* gridArea = nullptr;  // grid1 lives in here and fills it
    std::array<QPushButton*, 8> cmdNode{};
    QPushButton* cmdMore = nullptr;
    QLineEdit* txtName2 = nullptr;
    QLineEdit* txtPatID = nullptr;
    QLineEdit* txtName1 = nullptr;
    OptionalDateEdit* dtpStudyDate = nullptr;
    QComboBox* cboSex = nullptr;
    OptionalDateEdit* dtpBirth = nullptr;
    QLineEdit* txtStudyDesc = nullptr;
    QLineEdit* txtAccNum = nullptr;
    QPushButton* cmdSearch = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuClose = nullptr;
    QAction* mnuSettings = nullptr;
    QMenu* mnuSelect = nullptr;  // pop-up "SELECT"
    QAction* mnuMarkAll = nullptr;
    QMenu* mnuNodes = nullptr;  // pop-up "NODES"
    QAction* mnuEmpty0 = nullptr;

    config::AppSettings& appSettings() { return appSettings_; }
    config::Settings& settings() { return settings_; }
    ErrorReporter& errors() { return errors_; }
    ActionGate& gate() { return gate_; }
    const AppServices& services() const { return services_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void setFocusOrder();
    QSize frameExtra() const;

    // Subsystem bindings, each defined in its subsystem's qt folder.
    void wireSearch();
    void wireNodes();
    void wireSend();
    void wireSettings();

    AppServices services_;
    ActionGate gate_;
    config::AppSettings appSettings_;
    ErrorReporter errors_;
    config::Settings settings_;
    MainWindowLogic::Hooks hooks_;
    std::unique_ptr<MainWindowLogic> logic_;
    bool unloaded_ = false;
    bool shownOnce_ = false;
    QSize outerSize_;  // as the start-up set it, frame included

    // --- search and result grid
public:
    // grid1, for the send's reading of the selected rows.
    query::ResultGridView& resultGrid();

private:
    struct SearchParts;  // SearchWiring.cpp
    std::shared_ptr<SearchParts> search_;
    // --- node buttons
public:
    // ConfigButton, also for the settings dialog's Save.
    send::NodeSlots& nodeSlots() { return *nodeSlots_; }

private:
    std::unique_ptr<send::NodeButtonsView> nodeButtonsView_;
    std::unique_ptr<send::NodeSlots> nodeSlots_;

    // --- send
public:
    send::Sender& sender();

private:
    std::unique_ptr<send::Sender> sender_;

    // --- settings dialogs
};

}  // namespace pelko::ui
