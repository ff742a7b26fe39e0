#include "app/qt/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QMenuBar>
#include <QVBoxLayout>

#include "base/Twips.h"
#include "base/qt/QtSupport.h"
#include "config/qt/SettingsCommand.h"
#include "log/Logger.h"
#include "query/ConnectionTest.h"
#include "query/qt/ResultGridWidget.h"
#include "query/qt/SearchPanel.h"
#include "send/qt/NodeButtons.h"
#include "send/qt/SendButton.h"
#include "send/qt/SendProgressWindow.h"
#include "send/qt/SeriesWindow.h"

namespace pelko::ui {

MainWindow::MainWindow(const AppServices& services, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      errors_(services.logger, *this),
      settings_(services.programFolder, appSettings_, errors_) {
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setWindowIcon(QIcon(QStringLiteral(":/pelko.png")));
    setFont(Tahoma(9));
    buildWidgets();
    buildMenus();
    setFocusOrder();
    // Designed client area 13290 x 9660 twips below the menu bar.
    resize(Px(13290), Px(9660) + menuBar()->sizeHint().height());

    MainWindowLogic::Hooks hooks;
    hooks.configureGrid = [this] { grid_->configureColumns(); };
    hooks.rebuildNodes = [this] { nodeButtons_->nodeSlots().RebuildFromSettings(); };
    hooks.saveMarks = [this] { nodeButtons_->nodeSlots().SaveMarks(); };
    logic_ = std::make_unique<MainWindowLogic>(static_cast<MainWindowView&>(*this),
                                               static_cast<Shell&>(*this), settings_, errors_, hooks);
}

MainWindow::~MainWindow() = default;

// The widgets are made in the order of the designed form: Qt's focus chain
// follows it where the focus order below leaves it alone, and the start-up
// focus is the first control of that chain.
void MainWindow::buildWidgets() {
    auto* client = new QWidget(this);
    setCentralWidget(client);

    searchPresets_ = new SearchPresets(client);
    searchPresets_->setGeometry(Twips(45, 45, 8385, 510));

    sendButton_ = new SendButton(client);
    sendButton_->setGeometry(Twips(8685, 45, 4470, 4200));

    auto* searchFrame = new QFrame(client);
    searchFrame->setObjectName(QStringLiteral("fraSearch"));
    searchFrame->setGeometry(Twips(45, 585, 8385, 3660));
    searchFrame->setFrameShape(QFrame::StyledPanel);
    searchFrame->setFont(Tahoma(8.25));

    gridArea_ = new QWidget(client);
    gridArea_->setObjectName(QStringLiteral("gridArea"));
    gridArea_->setGeometry(Twips(45, 4320, 11130, 4695));
    auto* gridLayout = new QVBoxLayout(gridArea_);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    // Joins the window (and its focus chain) last, when laid out below.
    grid_ = new ResultGridWidget(*this, errors_, gate_, nullptr);

    nodeButtons_ = new NodeButtons(*this, settings_, errors_, gate_, searchFrame);

    searchPanel_ = new SearchPanel(
        {*grid_, *this, settings_, services_.toolkit, errors_, services_.clock, gate_}, searchFrame);
    searchPanel_->setObjectName(QStringLiteral("picSearch"));
    searchPanel_->setGeometry(Twips(135, 225, 8115, 2265));
    nodeButtons_->raise();
    connect(searchPresets_, &SearchPresets::todayPressed, searchPanel_, &SearchPanel::searchToday);
    connect(searchPresets_, &SearchPresets::yesterdayPressed, searchPanel_, &SearchPanel::searchYesterday);
    connect(searchPresets_, &SearchPresets::weekPressed, searchPanel_, &SearchPanel::searchWeek);

    gridLayout->addWidget(grid_);
    connect(grid_, &ResultGridWidget::sendAllowed, sendButton_, &QWidget::setEnabled);
    sendButton_->bind(*this, settings_, errors_, services_.toolkit, *grid_, nodeButtons_->nodeSlots(), gate_);
    sendProgress_ = std::make_unique<SendProgressOnDemand>(this);
    sendButton_->setProgress(*sendProgress_);
    connect(grid_, &ResultGridWidget::studyOpened, this, &MainWindow::openSeries);
}

void MainWindow::openSeries(const query::StudyRow& study) {
    auto* window = new SeriesWindow(this, settings_, errors_, services_.toolkit, gate_,
                                    nodeButtons_->nodeSlots(), sendButton_->sender());
    if (!window->open({study.studyInstanceUid, study.patientName, study.studyDate, study.description})) {
        delete window;
        return;
    }
    if (series_) series_->close();
    series_ = window;
    // Queued: the slots have their new state once the buttons have theirs.
    connect(nodeButtons_, &NodeButtons::nodesChanged, window, &SeriesWindow::nodesChanged,
            Qt::QueuedConnection);
    window->show();
    window->activateWindow();
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* close = file->addAction(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("mnuClose"));
    QAction* settings = file->addAction(QStringLiteral("Settings"));
    settings->setObjectName(QStringLiteral("mnuSettings"));
    QAction* testConnection = file->addAction(QStringLiteral("Test connection"));
    testConnection->setObjectName(QStringLiteral("mnuTestConnection"));
    connectionTest_ = std::make_unique<query::ConnectionTest>(static_cast<Shell&>(*this), settings_,
                                                              services_.toolkit, errors_, gate_);

    connect(close, &QAction::triggered, this, &QWidget::close);
    connect(settings, &QAction::triggered, this, [this] {
        // The node buttons' rebuild after a Save.
        RunSettingsCommand(this, gate_, settings_,
                           [this] { nodeButtons_->nodeSlots().RebuildFromSettings(); });
    });
    connect(testConnection, &QAction::triggered, this, [this] { connectionTest_->Run(); });
}

void MainWindow::setFocusOrder() {
    std::vector<QWidget*> order = searchPanel_->focusOrder();
    order.push_back(grid_);
    order.push_back(sendButton_);
    for (QWidget* w : searchPresets_->focusOrder()) order.push_back(w);
    for (QWidget* w : nodeButtons_->focusOrder()) order.push_back(w);
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
    // Typing right after the start goes to the first field of that order.
    order.front()->setFocus();
}

void MainWindow::load() {
    logic_->Load();
}

void MainWindow::bringToFront() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

// --- Shell

void MainWindow::showError(const std::string& text) {
    ShowError(this, text);
}

void MainWindow::showErrorWithDetails(const std::string& text, const std::string& details) {
    ShowError(this, text, details);
}

void MainWindow::showInfo(const std::string& text) {
    ShowInfo(this, text);
}

void MainWindow::processEvents() {
    QCoreApplication::processEvents();
}

void MainWindow::setCaption(const std::string& caption) {
    setWindowTitle(Q(caption));
}

std::string MainWindow::caption() const {
    return windowTitle().toStdString();
}

void MainWindow::setBusyPointer(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

// --- MainWindowView

QSize MainWindow::frameExtra() const {
    const QRect frame = frameGeometry();
    return {frame.width() - width(), frame.height() - height()};
}

void MainWindow::moveToTopLeft() {
    move(0, 0);
}

void MainWindow::setOuterWidthTwips(int twips) {
    outerSize_.setWidth(Px(twips));
    resize(outerSize_.width() - frameExtra().width(), height());
}

void MainWindow::setOuterHeightTwips(int twips) {
    outerSize_.setHeight(Px(twips));
    resize(width(), outerSize_.height() - frameExtra().height());
}

int MainWindow::outerWidthTwips() const {
    return frameGeometry().width() * kTwipsPerPixel;
}

int MainWindow::outerHeightTwips() const {
    return frameGeometry().height() * kTwipsPerPixel;
}

void MainWindow::setGridWidthTwips(int twips) {
    gridArea_->resize(Px(twips), gridArea_->height());
}

void MainWindow::setGridHeightTwips(int twips) {
    gridArea_->resize(gridArea_->width(), Px(twips));
}

// --- lifecycle

void MainWindow::closeEvent(QCloseEvent* event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    auto pass = gate_.tryEnter();
    if (!pass) {
        // An action is running; close as soon as it has ended.
        gate_.requestClose([this] { close(); });
        event->ignore();
        return;
    }
    logic_->Unload();
    unloaded_ = true;
    event->accept();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Ask for the keyboard on the first showing: without a window manager
    // nobody else gives it to the new window.
    if (!activatedOnce_) {
        activatedOnce_ = true;
        activateWindow();
    }
    // The frame is known only once the window is shown: size it again so
    // that the outer size is what the start-up asked for.
    if (!outerSize_.isEmpty() && !shownOnce_) {
        shownOnce_ = true;
        resize(outerSize_ - frameExtra());
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (logic_) logic_->Resized();
}

}  // namespace pelko::ui
