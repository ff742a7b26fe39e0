// The search panel and the grid bound to the main window, offscreen, with
// the fake toolkit as the archive.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include "app/qt/MainWindow.h"
#include "log/Logger.h"
#include "query/qt/OptionalDateEdit.h"
#include "query/qt/ResultGridWidget.h"
#include "support/FakeToolkit.h"
#include "support/FixedClock.h"
#include "support/TempDir.h"
#include "ui/Controls.h"

namespace pelko::test {
namespace {

using namespace std::chrono;

void Key(QWidget* target, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

void Type(QWidget* target, const QString& text) {
    for (QChar c : text)
        Key(target, c.isLetter() ? Qt::Key_A + (c.toUpper().unicode() - 'A') : 0, QString(c));
}

void Click(QWidget* target, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    const QPointF local(at);
    const QPointF global(target->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

dicom::Dataset Study(const std::string& uid, const std::string& patientID, const std::string& name) {
    dicom::Dataset d;
    d.setStudyInstanceUID(uid);
    d.Attributes().Add(dicom::tags::StudyDate, "20240301");
    d.setPatientID(patientID);
    d.setPatientName(name);
    return d;
}

class SearchWidgetTest : public ::testing::Test {
protected:
    SearchWidgetTest() {
        WriteBytes(dir / "Settings.ini", "[Query]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort=11112\r\n");
        window.load();
        window.show();
        QCoreApplication::processEvents();
        grid = Control<QWidget>(&window, "gridArea")->findChild<ui::ResultGridWidget*>();
    }

    QString cell(int row, int column) const { return grid->model()->index(row, column).data().toString(); }

    void clickHeader(int logical) {
        QHeaderView* header = grid->horizontalHeader();
        Click(header->viewport(),
              QPoint(header->sectionViewportPosition(logical) + header->sectionSize(logical) / 2,
                     header->height() / 2));
    }

    void clickRow(int row, Qt::MouseButton button = Qt::LeftButton) {
        Click(grid->viewport(), grid->visualRect(grid->model()->index(row, 2)).center(), button);
    }

    TempDir dir;
    FixedClock clock{{year{2024} / 3 / 5, 10, 0, 0}};
    Logger logger{dir.path(), clock};
    FakeToolkit kit;
    ui::MainWindow window{ui::AppServices{dir.path(), clock, logger, kit}};
    ui::ResultGridWidget* grid = nullptr;
};

TEST_F(SearchWidgetTest, TypingNamesAndEnterRunsTheSearchAndFillsTheGrid) {
    ASSERT_NE(grid, nullptr);
    EXPECT_TRUE(grid->isColumnHidden(0));
    EXPECT_EQ(grid->columnWidth(1), 110);
    EXPECT_EQ(grid->columnWidth(4), 35);
    EXPECT_EQ(grid->model()->headerData(3, Qt::Horizontal).toString(), "Name");

    Type(Control<QLineEdit>(&window, "txtName2"), "van Dam");
    Type(Control<QLineEdit>(&window, "txtName1"), "Jo");

    kit.findResult.push_back(Study("1.2.2", "P2", "Müller^Jürgen"));
    kit.findResult.push_back(Study("1.2.1", "P1", "van^Dam^Jo"));
    Key(Control<QLineEdit>(&window, "txtName1"), Qt::Key_Return, "\r");

    ASSERT_EQ(kit.finds.size(), 1u);
    EXPECT_EQ(kit.finds[0].identifier.PatientName(), "van^Dam^Jo");
    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(cell(0, 0), "1.2.2");
    EXPECT_EQ(cell(0, 3), "Müller Jürgen");
    EXPECT_EQ(cell(1, 3), "van Dam Jo");
    EXPECT_EQ(grid->model()->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
              Qt::Alignment(Qt::AlignCenter));
    EXPECT_FALSE(Control<QPushButton>(&window, "cmdSend")->isEnabled());

    // Header clicks sort by our logic: ascending, then descending.
    clickHeader(2);
    EXPECT_EQ(cell(0, 2), "P1");
    clickHeader(2);
    EXPECT_EQ(cell(0, 2), "P2");

    // Picking a study enables Send.
    clickRow(1);
    EXPECT_TRUE(Control<QPushButton>(&window, "cmdSend")->isEnabled());

    // Right click opens "SELECT"; "Mark all" selects every row.
    clickRow(0, Qt::RightButton);
    EXPECT_TRUE(Control<QMenu>(&window, "mnuSelect")->isVisible());
    Control<QMenu>(&window, "mnuSelect")->hide();
    Control<QAction>(&window, "mnuMarkAll")->trigger();
    EXPECT_EQ(grid->selectedStudyUids(), (std::vector<std::string>{"1.2.2", "1.2.1"}));
}

// Started, "Smith" typed and Enter pressed, with no click first.
TEST_F(SearchWidgetTest, TypingRightAfterStartGoesToLastNameAndEnterSearches) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_EQ(focus, Control<QWidget>(&window, "txtName2"));
    Type(focus, "Smith");
    Key(focus, Qt::Key_Return, "\r");
    ASSERT_EQ(kit.finds.size(), 1u);
    EXPECT_EQ(kit.finds[0].identifier.PatientName(), "Smith");
}

TEST_F(SearchWidgetTest, EnterInEverySearchFieldSearches) {
    Type(Control<QLineEdit>(&window, "txtPatID"), "4711");
    auto* studyDate = Control<ui::OptionalDateEdit>(&window, "dtpStudyDate");
    studyDate->setTicked(true);
    const std::vector<QWidget*> fields = {
        Control<QWidget>(&window, "txtName2"),
        Control<QWidget>(&window, "txtPatID"),
        Control<QWidget>(&window, "txtName1"),
        studyDate->tickBox(),
        studyDate->dateEdit(),
        Control<ui::OptionalDateEdit>(&window, "dtpBirth")->tickBox(),
        Control<QWidget>(&window, "txtStudyDesc"),
        Control<QWidget>(&window, "txtAccNum"),
        Control<QWidget>(&window, "cmdSearch"),
        Control<QWidget>(&window, "cboSex"),
    };
    for (std::size_t i = 0; i < fields.size(); ++i) {
        SCOPED_TRACE(fields[i]->objectName().toStdString() + " #" + std::to_string(i));
        Key(fields[i], Qt::Key_Return, "\r");
        EXPECT_EQ(kit.finds.size(), i + 1);
    }
}

// Only the user moving the current cell to a study row enables Send.
TEST_F(SearchWidgetTest, SendStaysDisabledUntilARowIsPicked) {
    kit.findResult.push_back(Study("1.2.1", "P1", "A"));
    kit.findResult.push_back(Study("1.2.2", "P2", "B"));
    Type(Control<QLineEdit>(&window, "txtPatID"), "P");
    Control<QPushButton>(&window, "cmdSearch")->click();
    ASSERT_EQ(grid->model()->rowCount(), 2);
    auto* menu = Control<QMenu>(&window, "mnuSelect");
    struct Step {
        const char* what;
        std::function<void()> act;
        bool sendEnabled;
    };
    const Step steps[] = {
        {"right click on a row", [&] { clickRow(1, Qt::RightButton); }, false},
        {"Escape closes SELECT", [&] { Key(menu, Qt::Key_Escape); }, false},
        {"Mark all from SELECT",
         [&] {
             clickRow(0, Qt::RightButton);
             Key(menu, Qt::Key_Down);
             Key(menu, Qt::Key_Return, "\r");
         },
         false},
        {"Tab into the grid", [&] { grid->setFocus(Qt::TabFocusReason); }, false},
        {"left click on a row", [&] { clickRow(1); }, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        QCoreApplication::processEvents();
        EXPECT_EQ(Control<QPushButton>(&window, "cmdSend")->isEnabled(), step.sendEnabled);
        EXPECT_EQ(grid->currentIndex().isValid(), step.sendEnabled);  // no focus frame of its own
    }
    EXPECT_FALSE(menu->isVisible());
    EXPECT_EQ(grid->selectedStudyUids().size(), 1u);  // the pick replaced "Mark all"
}

// Each send and each new search turn Send off until the next pick.
TEST_F(SearchWidgetTest, SendAndSearchDisableSendUntilTheNextPick) {
    kit.findResult.push_back(Study("1.2.1", "P1", "A"));
    kit.findResult.push_back(Study("1.2.2", "P2", "B"));
    Type(Control<QLineEdit>(&window, "txtPatID"), "P");
    auto* search = Control<QPushButton>(&window, "cmdSearch");
    auto* send = Control<QPushButton>(&window, "cmdSend");
    search->click();
    const std::pair<int, QPushButton*> steps[] = {{1, send}, {0, search}};
    for (auto [row, button] : steps) {
        clickRow(row);  // another row: a pick moves the current cell
        EXPECT_TRUE(send->isEnabled());
        button->click();
        EXPECT_FALSE(send->isEnabled()) << button->objectName().toStdString();
    }
}

// Rows filled while the redraw is off are laid out, scroll bar included, as
// soon as it is on again, before any event runs: the list is painted once in
// its final shape, not a second time (all of it) when the scroll bar comes.
TEST_F(SearchWidgetTest, HeldRowsComeWithTheirScrollBarAtOnce) {
    grid->setRedraw(false);
    query::StudyRow study;
    study.studyDate = "20240301";
    for (int r = 1; r <= 200; ++r) grid->addStudy(study);
    EXPECT_EQ(grid->model()->rowCount(), 0);
    grid->setRedraw(true);
    EXPECT_EQ(grid->model()->rowCount(), 200);
    EXPECT_TRUE(grid->verticalScrollBar()->isVisible());
}

TEST_F(SearchWidgetTest, NoDataRowDoesNotEnableSend) {
    Type(Control<QLineEdit>(&window, "txtPatID"), "4711");
    Control<QPushButton>(&window, "cmdSearch")->click();
    ASSERT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(cell(0, 1), "No data");
    clickRow(0);
    EXPECT_FALSE(Control<QPushButton>(&window, "cmdSend")->isEnabled());
}

TEST_F(SearchWidgetTest, PresetsAndSexFieldReachTheQuery) {
    Key(Control<QComboBox>(&window, "cboSex"), Qt::Key_X, "x");
    EXPECT_EQ(Control<QComboBox>(&window, "cboSex")->currentText(), "");
    Key(Control<QComboBox>(&window, "cboSex"), Qt::Key_M, "m");
    EXPECT_EQ(Control<QComboBox>(&window, "cboSex")->currentText(), "M");
    Key(Control<QComboBox>(&window, "cboSex"), Qt::Key_1, "1");
    EXPECT_EQ(Control<QComboBox>(&window, "cboSex")->currentText(), "M");
    Key(Control<QComboBox>(&window, "cboSex"), Qt::Key_F, "F");
    EXPECT_EQ(Control<QComboBox>(&window, "cboSex")->currentText(), "F");

    Control<QPushButton>(&window, "cmdWeek")->click();
    ASSERT_EQ(kit.finds.size(), 1u);
    EXPECT_EQ(kit.finds[0].identifier.PatientSex(), "F");
    EXPECT_EQ(kit.finds[0].identifier.Attributes().Item(dicom::tags::StudyDate), "20240227-20240305");
    EXPECT_FALSE(Control<ui::OptionalDateEdit>(&window, "dtpStudyDate")->value().has_value());

    Key(Control<QComboBox>(&window, "cboSex"), Qt::Key_Backspace, "\b");
    EXPECT_EQ(Control<QComboBox>(&window, "cboSex")->currentText(), "");
    Control<QPushButton>(&window, "cmdYesterday")->click();
    ASSERT_EQ(kit.finds.size(), 2u);
    EXPECT_EQ(kit.finds[1].identifier.Attributes().Item(dicom::tags::StudyDate), "20240304");
    EXPECT_EQ(kit.finds[1].identifier.PatientSex(), "");
}

}  // namespace
}  // namespace pelko::test
