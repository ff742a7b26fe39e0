// The settings dialogs' widgets bound to their logic, on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "app/qt/MainWindow.h"
#include "config/AppSettings.h"
#include "config/Settings.h"
#include "config/qt/AccessForm.h"
#include "config/qt/NodeEntryDialog.h"
#include "config/qt/SettingsDialog.h"
#include "log/ErrorReport.h"
#include "log/Logger.h"
#include "support/FakeShell.h"
#include "support/FakeToolkit.h"
#include "support/FixedClock.h"
#include "support/NodeRowPrinter.h"
#include "support/TempDir.h"
#include "ui/Controls.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace pelko::ui {
namespace {

using test::Control;

void Key(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(target, &release);
}

void Type(QWidget* target, const QString& text) {
    for (QChar c : text) Key(target, c.toUpper().unicode(), Qt::NoModifier, QString(c));
}

QColor Base(const QLineEdit* field) {
    return field->palette().color(QPalette::Base);
}

TEST(SettingsDialogsUi, AccessFormTurnsRedOnAWrongPasswordAndIgnoresEscape) {
    AccessForm form(nullptr);
    form.show();
    EXPECT_EQ(form.windowTitle(), "Authentification");
    EXPECT_EQ(form.size(), QSize(258, 123));
    EXPECT_EQ(Control<QLineEdit>(&form, "txtPassword")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Control<QLineEdit>(&form, "txtPassword")->geometry(), QRect(8, 40, 241, 25));

    Type(Control<QLineEdit>(&form, "txtPassword"), "Glimmer");
    Key(Control<QLineEdit>(&form, "txtPassword"), Qt::Key_Return, Qt::NoModifier, "\r");
    EXPECT_EQ(Base(Control<QLineEdit>(&form, "txtPassword")), QColor(255, 0, 0));
    EXPECT_TRUE(form.isVisible());
    Key(Control<QLineEdit>(&form, "txtPassword"), Qt::Key_Backspace, Qt::NoModifier, "\b");
    EXPECT_EQ(Base(Control<QLineEdit>(&form, "txtPassword")), QColor(255, 255, 255));
    Key(Control<QLineEdit>(&form, "txtPassword"), Qt::Key_Escape, Qt::NoModifier, "\x1b");
    EXPECT_TRUE(form.isVisible()) << "Escape is not bound to Cancel";

    Control<QLineEdit>(&form, "txtPassword")->clear();
    Type(Control<QLineEdit>(&form, "txtPassword"), "glimmer");
    Key(Control<QLineEdit>(&form, "txtPassword"), Qt::Key_Return, Qt::NoModifier, "\r");
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST(SettingsDialogsUi, SettingsDialogFiltersKeysAndMirrorsTheList) {
    test::TempDir dir;
    FixedClock clock{LocalDateTime{}};
    Logger logger(dir.path(), clock);
    test::FakeShell shell;
    ErrorReporter errors(logger, shell);
    config::AppSettings record;
    record.NodeList[0] = "CT|CT_AE";
    record.NodeList[1] = "a|b|c";
    config::Settings settings(dir.path(), record, errors);
    int rebuilt = 0;
    SettingsDialog dialog(nullptr, settings, [&] { ++rebuilt; });
    dialog.show();

    EXPECT_EQ(dialog.size(), QSize(439, 443));
    ASSERT_EQ(Control<QTreeWidget>(&dialog, "lvNodes")->topLevelItemCount(), 2);
    EXPECT_EQ(Control<QTreeWidget>(&dialog, "lvNodes")->topLevelItem(1)->text(0), "a");
    EXPECT_EQ(Control<QTreeWidget>(&dialog, "lvNodes")->topLevelItem(1)->text(1), "b");
    EXPECT_EQ(Control<QTreeWidget>(&dialog, "lvNodes")->columnWidth(0), 207);
    EXPECT_EQ(Control<QLineEdit>(&dialog, "txtQuPort")->text(), "0");
    EXPECT_FALSE(Control<QPushButton>(&dialog, "cmdApply")->isEnabled());

    QApplication::clipboard()->setText("12ab");
    for (QLineEdit* field :
         {Control<QLineEdit>(&dialog, "txtQuPort"), Control<QLineEdit>(&dialog, "txtQuIP")}) {
        const QString before = field->text();
        Type(field, "x .");
        Key(field, Qt::Key_V, Qt::ControlModifier, "\x16");
        Key(field, Qt::Key_V, Qt::ControlModifier);
        Key(field, Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(field->text(), field == Control<QLineEdit>(&dialog, "txtQuIP") ? before + "." : before);
    }
    EXPECT_TRUE(Control<QPushButton>(&dialog, "cmdApply")->isEnabled())
        << "the dot in the IP field was accepted";

    Type(Control<QLineEdit>(&dialog, "txtQuPort"), "5");
    EXPECT_EQ(Control<QLineEdit>(&dialog, "txtQuPort")->text(), "05");
    Control<QLineEdit>(&dialog, "txtLocAET")->insert("x\ny");
    EXPECT_EQ(Control<QLineEdit>(&dialog, "txtLocAET")->text(), "")
        << "a line break would split the line in Settings.ini";

    Control<QTreeWidget>(&dialog, "lvNodes")
        ->setCurrentItem(Control<QTreeWidget>(&dialog, "lvNodes")->topLevelItem(0));
    Control<QPushButton>(&dialog, "cmdDelete")->click();
    ASSERT_EQ(Control<QTreeWidget>(&dialog, "lvNodes")->topLevelItemCount(), 1);
    EXPECT_TRUE(Control<QTreeWidget>(&dialog, "lvNodes")->selectedItems().isEmpty());
    Control<QPushButton>(&dialog, "cmdDelete")->click();
    EXPECT_EQ(Control<QTreeWidget>(&dialog, "lvNodes")->topLevelItemCount(), 1);

    Key(Control<QLineEdit>(&dialog, "txtQuAET"), Qt::Key_Escape, Qt::NoModifier, "\x1b");
    EXPECT_TRUE(dialog.isVisible());
    Control<QPushButton>(&dialog, "cmdCancel")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(std::filesystem::exists(settings.path()));
    EXPECT_EQ(rebuilt, 0);
}

class OneRowList : public config::NodeListEditor {
public:
    int rowCount() const override { return 1; }
    void appendRow(const config::NodeRow&) override {}
    void replaceSelectedRow(const config::NodeRow& r) override { row = r; }
    void enableSave() override { saveEnabled = true; }
    config::NodeRow row{"CT", "CT_AE"};
    bool saveEnabled = false;
};

TEST(SettingsDialogsUi, NodeEntryDialogLimitsTheAETAndPutsTheCaretAtTheEnd) {
    OneRowList list;
    NodeEntryDialog dialog(nullptr, config::NodeEntryLogic::Mode::Edit, list.row, list);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Edit Entry");
    EXPECT_EQ(Control<QPushButton>(&dialog, "cmdOK")->text(), "Save");
    EXPECT_EQ(Control<QLineEdit>(&dialog, "txtAlias")->text(), "CT");

    QFocusEvent focus(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(Control<QLineEdit>(&dialog, "txtAET"), &focus);
    QCoreApplication::processEvents();
    EXPECT_FALSE(Control<QLineEdit>(&dialog, "txtAET")->hasSelectedText());
    EXPECT_EQ(Control<QLineEdit>(&dialog, "txtAET")->cursorPosition(), 5);

    Type(Control<QLineEdit>(&dialog, "txtAET"), "0123456789ABCDEF");
    EXPECT_EQ(Control<QLineEdit>(&dialog, "txtAET")->text(), "CT_AE0123456789A");
    Key(Control<QLineEdit>(&dialog, "txtAET"), Qt::Key_Escape, Qt::NoModifier, "\x1b");
    EXPECT_TRUE(dialog.isVisible());
    Key(Control<QLineEdit>(&dialog, "txtAET"), Qt::Key_Return, Qt::NoModifier, "\r");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(list.row, (config::NodeRow{"CT", "CT_AE0123456789A"}));
    EXPECT_TRUE(list.saveEnabled);
}

// Tab runs through each window's controls in the designed order and round
// again, Shift+Tab back; Tab and Ctrl+Tab leave the grid at once. The main
// window has all eight nodes and a study picked with the arrow keys, so
// that every node button and "Send" take the focus.
TEST(SettingsDialogsUi, TabRunsThroughEachWindowInTheDesignedOrder) {
    test::TempDir dir;
    FixedClock clock{LocalDateTime{}};
    Logger logger(dir.path(), clock);
    test::FakeShell shell;
    ErrorReporter errors(logger, shell);
    config::AppSettings record;
    config::Settings settings(dir.path(), record, errors);
    OneRowList list;
    test::FakeToolkit kit;
    dicom::Dataset study;
    study.setStudyInstanceUID("1.2.3");
    kit.findResult.push_back(study);
    std::string ini = "[Query]\r\nAET=A\r\nIP=127.0.0.1\r\nPort=104\r\n[Forward]\r\n";
    for (char n = '0'; n < '8'; ++n) ini += std::string("Node") + n + "=N|AE\r\n";
    test::WriteBytes(dir / "Settings.ini", ini);
    MainWindow main(AppServices{dir.path(), clock, logger, kit});
    main.load();
    SettingsDialog settingsDialog(nullptr, settings, [] {});
    AccessForm access(nullptr);
    NodeEntryDialog entry(nullptr, config::NodeEntryLogic::Mode::New, {}, list);
    const auto focused = [](const QStringList& names) {
        QWidget* w = QApplication::focusWidget();
        while (w != nullptr && !names.contains(w->objectName())) w = w->parentWidget();
        return w ? w->objectName() : QStringLiteral("(other)");
    };
    const auto press = [](int key, Qt::KeyboardModifiers mods) {
        if (QWidget* at = QApplication::focusWidget()) Key(at, key, mods);
    };
    const struct {
        QWidget* window;
        QStringList order;
    } windows[] = {
        {&main, {"txtName2",     "txtPatID",  "txtName1", "dtpStudyDate", "dtpBirth", "txtStudyDesc",
                 "txtAccNum",    "cmdSearch", "cboSex",   "grid1",        "cmdSend",  "cmdToday",
                 "cmdYesterday", "cmdWeek",   "cmdNode3", "cmdNode2",     "cmdNode1", "cmdNode0",
                 "cmdMore",      "cmdNode6",  "cmdNode5", "cmdNode4",     "cmdNode7"}},
        {&access, {"txtPassword", "cmdOK", "cmdCancel"}},
        {&settingsDialog,
         {"txtQuAET", "txtQuIP", "txtQuPort", "txtLocAET", "cmdApply", "cmdCancel", "cmdDelete", "cmdEdit",
          "cmdAdd", "lvNodes", "chkUseForward", "chkRegistered"}},
        {&entry, {"txtAlias", "txtAET", "cmdOK", "cmdCancel"}},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(w.order.front().toStdString());
        w.window->show();
        // Deprecated from Qt 6.5 on (Debian 13), with no offscreen-safe
        // replacement that activates at once.
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        QApplication::setActiveWindow(w.window);
        QT_WARNING_POP
        if (w.window == &main) {
            Control<QPushButton>(&main, "cmdToday")->click();
            Control<QWidget>(&main, "grid1")->setFocus();
            press(Qt::Key_Down, Qt::NoModifier);
        }
        if (w.window == &settingsDialog) Type(Control<QLineEdit>(w.window, "txtQuAET"), "X");  // Save on
        Control<QWidget>(w.window, w.order.front())->setFocus();
        QStringList forward, backward;
        for (qsizetype i = 0; i < w.order.size(); ++i) {
            press(Qt::Key_Tab, Qt::NoModifier);
            forward << focused(w.order);
        }
        for (qsizetype i = 0; i < w.order.size(); ++i) {
            press(Qt::Key_Backtab, Qt::ShiftModifier);
            backward.prepend(focused(w.order));
        }
        EXPECT_EQ(forward, w.order.mid(1) << w.order.front());
        EXPECT_EQ(backward, w.order);
        if (w.window == &main) {
            Control<QWidget>(&main, "grid1")->setFocus();
            press(Qt::Key_Tab, Qt::ControlModifier);
            EXPECT_EQ(focused(w.order), "cmdSend");
        }
        w.window->hide();
    }
}

}  // namespace
}  // namespace pelko::ui
