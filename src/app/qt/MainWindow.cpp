#include "app/qt/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QVBoxLayout>

#include "app/qt/OptionalDateEdit.h"
#include "log/Logger.h"

namespace pelko::ui {
namespace {

QRect Twips(int left, int top, int width, int height) { return {Px(left), Px(top), Px(width), Px(height)}; }

QFont Tahoma(double points, bool bold = false) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

template <typename W>
W* Place(W* widget, const QRect& rect) {
    widget->setGeometry(rect);
    return widget;
}

QLabel* AddLabel(QWidget* parent, const char* text, int left, int top) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->adjustSize();
    label->setGeometry(Px(left), Px(top), label->width(), Px(210));
    return label;
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

MainWindow::MainWindow(const AppServices& services, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      errors_(services.logger, *this),
      settings_(services.programFolder, appSettings_, errors_) {
    setWindowTitle(QString::fromUtf8(kAppTitle));
    setWindowIcon(QIcon(QStringLiteral(":/pelko.png")));
    setFont(Tahoma(9));
    buildControls();
    buildMenus();
    setFocusOrder();
    // Designed client area 13290 x 9660 twips below the menu bar.
    resize(Px(13290), Px(9660) + menuBar()->sizeHint().height());

    wireSearch();
    wireNodes();
    wireSend();
    wireSettings();
    logic_ = std::make_unique<MainWindowLogic>(*this, *this, settings_, errors_, services_.clock, hooks_);
    connect(mnuClose, &QAction::triggered, this, &QWidget::close);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls() {
    auto* client = new QWidget(this);
    setCentralWidget(client);

    cmdToday = Place(new QPushButton(QStringLiteral("Today"), client), Twips(45, 45, 2670, 510));
    cmdYesterday = Place(new QPushButton(QStringLiteral("Yesterday"), client), Twips(2925, 45, 2625, 510));
    cmdWeek = Place(new QPushButton(QStringLiteral("Week"), client), Twips(5760, 45, 2670, 510));
    for (auto* b : {cmdToday, cmdYesterday, cmdWeek}) b->setFont(Tahoma(9.75, true));
    cmdSend = Place(new QPushButton(QStringLiteral("Send"), client), Twips(8685, 45, 4470, 4200));
    cmdSend->setFont(Tahoma(36, true));
    cmdSend->setEnabled(false);

    fraSearch = Place(new QFrame(client), Twips(45, 585, 8385, 3660));
    fraSearch->setFrameShape(QFrame::StyledPanel);
    fraSearch->setFont(Tahoma(8.25));

    gridArea = Place(new QWidget(client), Twips(45, 4320, 11130, 4695));
    auto* gridLayout = new QVBoxLayout(gridArea);
    gridLayout->setContentsMargins(0, 0, 0, 0);

    picSearch = Place(new QWidget(fraSearch), Twips(135, 225, 8115, 2265));
    picSearch->setFont(Tahoma(8.25));

    // Node buttons: 0 to 6 in the search frame, 7 on the window.
    const int nodeLeft[] = {315, 2295, 4275, 6255, 315, 2295, 4275};
    const int nodeWidth[] = {1815, 1860, 1860, 1860, 1815, 1860, 1860};
    for (int i = 0; i < 7; ++i) {
        cmdNode[i] = Place(new QPushButton(fraSearch), Twips(nodeLeft[i], i < 4 ? 2475 : 3015, nodeWidth[i], 420));
        cmdNode[i]->setObjectName(QStringLiteral("cmdNode%1").arg(i));
        if (i >= 4) cmdNode[i]->hide();
    }
    cmdNode[7] = Place(new QPushButton(client), Twips(6300, 3600, 1590, 420));
    cmdNode[7]->setObjectName(QStringLiteral("cmdNode7"));
    cmdNode[7]->hide();
    cmdMore = Place(new QPushButton(QStringLiteral("..."), fraSearch), Twips(7830, 3015, 285, 420));
    cmdMore->setFont(Tahoma(9, true));

    txtName2 = Place(new QLineEdit(picSearch), Twips(180, 360, 2940, 330));
    txtPatID = Place(new QLineEdit(picSearch), Twips(3375, 360, 4560, 330));
    txtName1 = Place(new QLineEdit(picSearch), Twips(180, 1080, 2940, 330));
    dtpStudyDate = Place(new OptionalDateEdit(picSearch), Twips(3375, 1080, 1635, 330));
    cboSex = Place(new QComboBox(picSearch), Twips(5310, 1080, 645, 330));
    cboSex->setEditable(true);
    dtpBirth = Place(new OptionalDateEdit(picSearch), Twips(6300, 1080, 1635, 330));
    txtStudyDesc = Place(new QLineEdit(picSearch), Twips(180, 1800, 3840, 330));
    txtAccNum = Place(new QLineEdit(picSearch), Twips(4140, 1800, 2490, 315));
    cmdSearch = Place(new QPushButton(QStringLiteral("Search"), picSearch), Twips(6750, 1755, 1230, 375));
    cmdSearch->setDefault(true);
    cmdSearch->setAutoDefault(false);

    AddLabel(picSearch, "Last Name:", 180, 90);
    AddLabel(picSearch, "Patient - ID:", 3375, 90);
    AddLabel(picSearch, "First Name:", 180, 810);
    AddLabel(picSearch, "Studydate:", 3375, 810);
    AddLabel(picSearch, "Sex:", 5310, 810);
    AddLabel(picSearch, "Date of birth:", 6300, 810);
    AddLabel(picSearch, "Study Description:", 180, 1530);
    AddLabel(picSearch, "Accession Number", 4140, 1530);

    // Enter in any field of the panel presses the default button.
    for (auto* field : {txtName2, txtPatID, txtName1, txtStudyDesc, txtAccNum}) {
        connect(field, &QLineEdit::returnPressed, cmdSearch, &QPushButton::click);
    }
}

void MainWindow::buildMenus() {
    mnuFile = menuBar()->addMenu(QStringLiteral("File"));
    mnuClose = mnuFile->addAction(QStringLiteral("Close"));
    mnuSettings = mnuFile->addAction(QStringLiteral("Settings"));

    mnuSelect = new QMenu(QStringLiteral("SELECT"), this);
    mnuMarkAll = mnuSelect->addAction(QStringLiteral("Mark all"));
    mnuNodes = new QMenu(QStringLiteral("NODES"), this);
    mnuEmpty0 = mnuNodes->addAction(QStringLiteral("Empty"));
}

void MainWindow::setFocusOrder() {
    const std::vector<QWidget*> order = {
        txtName2,   txtPatID,   txtName1,   dtpStudyDate, dtpBirth,   txtStudyDesc, txtAccNum,
        cmdSearch,  cboSex,     gridArea,   cmdSend,      cmdToday,   cmdYesterday, cmdWeek,
        cmdNode[3], cmdNode[2], cmdNode[1], cmdNode[0],   cmdMore,    cmdNode[6],   cmdNode[5],
        cmdNode[4], cmdNode[7]};
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void MainWindow::load() { logic_->Load(); }

void MainWindow::bringToFront() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

// --- Shell

void MainWindow::showError(const std::string& text) {
    QMessageBox::critical(this, QString::fromUtf8(kAppTitle), Q(text));
}

void MainWindow::showInfo(const std::string& text) {
    QMessageBox::information(this, QString::fromUtf8(kAppTitle), Q(text));
}

void MainWindow::processEvents() { QCoreApplication::processEvents(); }

void MainWindow::setCaption(const std::string& caption) { setWindowTitle(Q(caption)); }

std::string MainWindow::caption() const { return windowTitle().toStdString(); }

void MainWindow::setBusyPointer(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void MainWindow::setSendEnabled(bool enabled) { cmdSend->setEnabled(enabled); }

// --- MainWindowView

QSize MainWindow::frameExtra() const {
    const QRect frame = frameGeometry();
    return {frame.width() - width(), frame.height() - height()};
}

void MainWindow::moveToTopLeft() { move(0, 0); }

void MainWindow::setOuterWidthTwips(int twips) {
    outerSize_.setWidth(Px(twips));
    resize(outerSize_.width() - frameExtra().width(), height());
}

void MainWindow::setOuterHeightTwips(int twips) {
    outerSize_.setHeight(Px(twips));
    resize(width(), outerSize_.height() - frameExtra().height());
}

int MainWindow::outerWidthTwips() const { return frameGeometry().width() * kTwipsPerPixel; }

int MainWindow::outerHeightTwips() const { return frameGeometry().height() * kTwipsPerPixel; }

void MainWindow::setGridWidthTwips(int twips) { gridArea->resize(Px(twips), gridArea->height()); }

void MainWindow::setGridHeightTwips(int twips) { gridArea->resize(gridArea->width(), Px(twips)); }

void MainWindow::setDatePickersTo(std::chrono::year_month_day today) {
    const QDate date(static_cast<int>(today.year()), static_cast<int>(static_cast<unsigned>(today.month())),
                     static_cast<int>(static_cast<unsigned>(today.day())));
    dtpStudyDate->setShownDate(date);
    dtpBirth->setShownDate(date);
}

void MainWindow::fillSexList(const std::vector<std::string>& items) {
    for (const auto& item : items) cboSex->addItem(Q(item));
    cboSex->setCurrentIndex(-1);
}

void MainWindow::clearDatePickerTicks() {
    dtpBirth->setTicked(false);
    dtpStudyDate->setTicked(false);
}

// --- lifecycle

void MainWindow::closeEvent(QCloseEvent* event) {
    if (unloaded_) {
        event->accept();
        return;
    }
    auto pass = gate().tryEnter();
    if (!pass) {
        // An action is running; close as soon as it has ended.
        gate().requestClose([this] { close(); });
        event->ignore();
        return;
    }
    logic_->Unload();
    unloaded_ = true;
    event->accept();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
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
