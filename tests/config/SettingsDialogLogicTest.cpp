#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "config/Settings.h"
#include "config/SettingsDialogLogic.h"
#include "log/ErrorReport.h"
#include "log/Logger.h"
#include "support/FakeShell.h"
#include "support/FixedClock.h"
#include "support/NodeRowPrinter.h"
#include "support/TempDir.h"

namespace pelko::config {
namespace {

using test::ReadBytes;
using test::WriteBytes;

// Mirrors what the logic shows; the node entry dialog is played by `onNodeEntry`.
class FakeSettingsView : public SettingsDialogView {
public:
    void appendRow(const NodeRow& row) override { rows.push_back(row); }
    void setRow(int index, const NodeRow& row) override { rows.at(index) = row; }
    void removeRow(int index) override { rows.erase(rows.begin() + index); }
    void clearSelection() override { ++selectionCleared; }
    void setFieldText(SettingsField field, const std::string& text) override { fields[field] = text; }
    void setChecked(SettingsCheck check, bool on) override { checks[check] = on; }
    void setSaveEnabled(bool on) override { saveEnabled = on; }
    void runNodeEntry(NodeEntryLogic::Mode mode, const NodeRow& initial) override {
        nodeEntries.push_back({mode, initial});
        if (onNodeEntry) onNodeEntry();
    }
    void closeDialog() override { closed = true; }

    std::vector<NodeRow> rows;
    int selectionCleared = 0;
    std::map<SettingsField, std::string> fields;
    std::map<SettingsCheck, bool> checks;
    bool saveEnabled = true;
    bool closed = false;
    std::vector<std::pair<NodeEntryLogic::Mode, NodeRow>> nodeEntries;
    std::function<void()> onNodeEntry;
};

class SettingsDialogLogicTest : public ::testing::Test {
protected:
    std::filesystem::path ini() const { return dir / "Settings.ini"; }

    // A fresh dialog, opened.
    SettingsDialogLogic& open() {
        view = std::make_unique<FakeSettingsView>();
        logic = std::make_unique<SettingsDialogLogic>(*view, shell, settings, [this] {
            ++nodeRebuilds;
            if (onNodeRebuild) onNodeRebuild();
        });
        logic->Opening();
        return *logic;
    }

    void setNodeList(std::vector<std::string> entries) {
        record.NodeList = {};
        for (std::size_t i = 0; i < entries.size(); ++i) record.NodeList[i] = entries[i];
    }

    test::TempDir dir;
    FixedClock clock{LocalDateTime{}};
    Logger logger{dir.path(), clock};
    test::FakeShell shell;
    ErrorReporter errors{logger, shell};
    AppSettings record;
    Settings settings{dir.path(), record, errors};
    std::unique_ptr<FakeSettingsView> view;
    std::unique_ptr<SettingsDialogLogic> logic;
    int nodeRebuilds = 0;
    std::function<void()> onNodeRebuild;
};

TEST_F(SettingsDialogLogicTest, OpeningFillsTheListFromNodeListAndTheFieldsFromTheFile) {
    WriteBytes(ini(),
               "[Local]\r\nAET=ME\r\n[Query]\r\nAET=PACS\r\nIP=10.1.2.3\r\nPort= 104 \r\n"
               "[General]\r\nForward=1\r\nRegistered=0\r\n");
    setNodeList({"CT|CT_AET", "a|b|c", "|", "no bar", "after|the end"});
    record.UseRegistered = true;

    open();
    const std::vector<NodeRow> rows = {{"CT", "CT_AET"}, {"a", "b"}, {"", ""}};
    EXPECT_EQ(view->rows, rows);
    EXPECT_EQ(logic->form().rows, rows);
    EXPECT_EQ(view->fields[SettingsField::LocalAET], "ME");
    EXPECT_EQ(view->fields[SettingsField::QueryAET], "PACS");
    EXPECT_EQ(view->fields[SettingsField::QueryIP], "10.1.2.3");
    EXPECT_EQ(view->fields[SettingsField::QueryPort], "104");
    EXPECT_TRUE(view->checks[SettingsCheck::UseForward]);
    EXPECT_FALSE(view->checks[SettingsCheck::Registered]) << "the file wins over the record";
    EXPECT_FALSE(view->saveEnabled);
    EXPECT_FALSE(logic->form().saveEnabled);
}

TEST_F(SettingsDialogLogicTest, SaveStateFollowsTheListedChangesOnly) {
    setNodeList({"A|AA", "B|BB"});
    const struct {
        const char* what;
        std::function<void(SettingsDialogLogic&, FakeSettingsView&)> act;
        bool saveOn;
    } cases[] = {
        {"local AET edited", [](auto& l, auto&) { l.TextChanged(SettingsField::LocalAET, "X"); }, true},
        {"remote AET edited", [](auto& l, auto&) { l.TextChanged(SettingsField::QueryAET, ""); }, true},
        {"digit typed in IP", [](auto& l, auto&) { l.KeyTyped(SettingsField::QueryIP, '7'); }, true},
        {"dot typed in IP", [](auto& l, auto&) { l.KeyTyped(SettingsField::QueryIP, '.'); }, true},
        {"Backspace in port", [](auto& l, auto&) { l.KeyTyped(SettingsField::QueryPort, 8); }, true},
        {"Use forward clicked", [](auto& l, auto&) { l.CheckClicked(SettingsCheck::UseForward, true); },
         true},
        {"Registered clicked", [](auto& l, auto&) { l.CheckClicked(SettingsCheck::Registered, true); }, true},
        {"ticked and ticked back",
         [](auto& l, auto&) {
             l.CheckClicked(SettingsCheck::Registered, true);
             l.CheckClicked(SettingsCheck::Registered, false);
         },
         true},
        {"row deleted",
         [](auto& l, auto&) {
             l.RowSelected(1);
             l.Delete();
         },
         true},
        {"node entry confirmed",
         [](auto& l, auto& v) {
             v.onNodeEntry = [&l] {
                 l.appendRow({"N", "NN"});
                 l.enableSave();
             };
             l.AddNew();
         },
         true},
        {"letter typed in IP", [](auto& l, auto&) { l.KeyTyped(SettingsField::QueryIP, 'a'); }, false},
        {"dot typed in port", [](auto& l, auto&) { l.KeyTyped(SettingsField::QueryPort, '.'); }, false},
        {"IP pasted from the menu", [](auto& l, auto&) { l.TextChanged(SettingsField::QueryIP, "abc"); },
         false},
        {"port changed by Delete", [](auto& l, auto&) { l.TextChanged(SettingsField::QueryPort, "10"); },
         false},
        {"row selected", [](auto& l, auto&) { l.RowSelected(0); }, false},
        {"Delete without selection", [](auto& l, auto&) { l.Delete(); }, false},
        {"node entry cancelled", [](auto& l, auto&) { l.AddNew(); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        open();
        c.act(*logic, *view);
        EXPECT_EQ(view->saveEnabled, c.saveOn);
        EXPECT_EQ(logic->form().saveEnabled, c.saveOn);
    }
}

TEST(SettingsKeyFilter, AcceptsDigitsDotInIpOnlyAndBackspace) {
    const struct {
        int code;
        bool ip, port;
    } cases[] = {
        {'0', true, true},   {'5', true, true},   {'9', true, true},    {'.', true, false},
        {8, true, true},     {'a', false, false}, {'Z', false, false},  {' ', false, false},
        {',', false, false}, {'-', false, false}, {22, false, false},   {3, false, false},
        {24, false, false},  {13, false, false},  {0xE9, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(IpKeyAccepted(c.code), c.ip);
        EXPECT_EQ(PortKeyAccepted(c.code), c.port);
    }
}

TEST_F(SettingsDialogLogicTest, DeleteAndEditNeedASelectedRow) {
    setNodeList({"A|AA", "B|BB", "C|CC"});
    open();
    logic->Delete();
    logic->Edit();
    EXPECT_EQ(view->rows.size(), 3u);
    EXPECT_TRUE(view->nodeEntries.empty());

    logic->RowSelected(1);
    logic->Edit();
    ASSERT_EQ(view->nodeEntries.size(), 1u);
    EXPECT_EQ(view->nodeEntries[0].first, NodeEntryLogic::Mode::Edit);
    EXPECT_EQ(view->nodeEntries[0].second, (NodeRow{"B", "BB"}));

    logic->Delete();
    const std::vector<NodeRow> left = {{"A", "AA"}, {"C", "CC"}};
    EXPECT_EQ(view->rows, left);
    EXPECT_EQ(logic->form().rows, left);
    EXPECT_FALSE(logic->form().selected.has_value());
    EXPECT_EQ(view->selectionCleared, 1);
    logic->Delete();  // nothing selected any more
    EXPECT_EQ(view->rows, left);
}

TEST_F(SettingsDialogLogicTest, AddNewOnAFullListExplainsAndAddsNothing) {
    std::vector<std::string> entries;
    for (int i = 0; i < kMaxNodes - 1; ++i) entries.push_back("n" + std::to_string(i) + "|AE");
    setNodeList(entries);
    open();
    logic->AddNew();
    EXPECT_EQ(view->nodeEntries.size(), 1u) << "room for one more";
    logic->appendRow({"last", "AE"});

    logic->AddNew();
    EXPECT_EQ(view->nodeEntries.size(), 1u);
    EXPECT_EQ(shell.messages, std::vector<std::string>{std::string("info: ") + kNodeListFullMessage});
    EXPECT_EQ(logic->rowCount(), kMaxNodes);
}

TEST_F(SettingsDialogLogicTest, CancelWritesNothingEvenAfterEdits) {
    const std::string before = "; keep\r\n[Local]\r\nAET=ME\r\n[Forward]\r\nNode0=A|AA\r\nNode1=B|BB\r\n";
    WriteBytes(ini(), before);
    setNodeList({"A|AA", "B|BB"});
    open();
    logic->TextChanged(SettingsField::LocalAET, "OTHER");
    logic->CheckClicked(SettingsCheck::UseForward, true);
    logic->RowSelected(0);
    logic->Delete();
    logic->appendRow({"N", "NN"});
    logic->Cancel();

    EXPECT_TRUE(view->closed);
    EXPECT_EQ(ReadBytes(ini()), before);
    EXPECT_EQ(record.NodeList[0], "A|AA");
    EXPECT_EQ(record.NodeList[1], "B|BB");
    EXPECT_FALSE(record.UseForward);
    EXPECT_EQ(nodeRebuilds, 0);
}

// The dialog does not know the TLS keys nor [Log] Dicom: they stay as they were, byte for
// byte, like every other line it does not write.
TEST_F(SettingsDialogLogicTest, SaveWritesEveryKeyInPlaceAndLeavesTheRestOfTheFileAlone) {
    WriteBytes(ini(),
               "; Pelko settings\r\n"
               "\r\n"
               "[Local]\r\n"
               "AET=OLDLOCAL\r\n"
               "\r\n"
               "[Query]\r\n"
               "; the archive\r\n"
               "AET=ARCHIVE\r\n"
               "IP=10.0.0.1\r\n"
               "TLS = 1\r\n"
               "TLSCertificate=certs/pelko.pem\r\n"
               "tlsPrivateKey=\"certs/pelko key.pem\"\r\n"
               "TLSTrustedCertificates=/etc/ssl/archive-ca.pem\r\n"
               "Timeout=30\r\n"
               "\r\n"
               "[Forward]\r\n"
               "Node0=A|AA\r\n"
               "Node1=B|BB\r\n"
               "Node2=C|CC\r\n"
               "Node3=D|DD\r\n"
               "Node4=E|EE\r\n"
               "; more nodes go here\r\n"
               "\r\n"
               "[Size]\r\n"
               "SearchHeight=9000\r\n"
               "[Log]\r\n"
               "Dicom=1\r\n");
    setNodeList({"A|AA", "B|BB", "C|CC", "D|DD", "E|EE"});
    open();
    logic->RowSelected(1);
    logic->Delete();  // B
    logic->RowSelected(3);
    logic->Delete();  // E
    logic->RowSelected(1);
    logic->replaceSelectedRow({"C2", "CC2"});
    logic->TextChanged(SettingsField::LocalAET, "NEWLOCAL");
    logic->TextChanged(SettingsField::QueryPort, "11112");
    logic->CheckClicked(SettingsCheck::UseForward, true);
    logic->Save();

    EXPECT_EQ(ReadBytes(ini()),
              "; Pelko settings\r\n"
              "\r\n"
              "[Local]\r\n"
              "AET=NEWLOCAL\r\n"
              "\r\n"
              "[Query]\r\n"
              "; the archive\r\n"
              "AET=ARCHIVE\r\n"
              "IP=10.0.0.1\r\n"
              "TLS = 1\r\n"
              "TLSCertificate=certs/pelko.pem\r\n"
              "tlsPrivateKey=\"certs/pelko key.pem\"\r\n"
              "TLSTrustedCertificates=/etc/ssl/archive-ca.pem\r\n"
              "Timeout=30\r\n"
              "Port=11112\r\n"
              "\r\n"
              "[Forward]\r\n"
              "Node0=A|AA\r\n"
              "Node1=C2|CC2\r\n"
              "Node2=D|DD\r\n"
              "Node3=\r\n"
              "Node4=E|EE\r\n"
              "; more nodes go here\r\n"
              "\r\n"
              "[Size]\r\n"
              "SearchHeight=9000\r\n"
              "[Log]\r\n"
              "Dicom=1\r\n"
              "[General]\r\n"
              "Forward=1\r\n"
              "Registered=0\r\n");
    EXPECT_TRUE(view->closed);
    EXPECT_TRUE(shell.messages.empty());
    // The list in memory ends where the file's list ends.
    EXPECT_EQ(RowsFromNodeList(record), (std::vector<NodeRow>{{"A", "AA"}, {"C2", "CC2"}, {"D", "DD"}}));
    EXPECT_EQ(record.NodeList[4], "E|EE");
}

TEST_F(SettingsDialogLogicTest, SaveIntoANewFileShowsTheOrderOfTheWrites) {
    const struct {
        std::vector<NodeRow> rows;
        const char* file;
    } cases[] = {
        {{},
         "[Forward]\r\nNode0=\r\n[Local]\r\nAET=\r\n[Query]\r\nAET=\r\nIP=\r\nPort=0\r\n"
         "[General]\r\nForward=0\r\nRegistered=0\r\n"},
        {{{"CT", "CT_AE"}, {"", "ONLYAET"}, {"a|b", "c"}},
         "[Forward]\r\nNode0=CT|CT_AE\r\nNode1=|ONLYAET\r\nNode2=a|b|c\r\nNode3=\r\n[Local]\r\nAET=\r\n"
         "[Query]\r\nAET=\r\nIP=\r\nPort=0\r\n[General]\r\nForward=0\r\nRegistered=1\r\n"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(ini());
        open();
        for (const auto& row : c.rows) logic->appendRow(row);
        if (!c.rows.empty()) logic->CheckClicked(SettingsCheck::Registered, true);
        logic->Save();
        EXPECT_EQ(ReadBytes(ini()), c.file);
    }
}

TEST_F(SettingsDialogLogicTest, SaveRebuildsTheNodeButtonsAfterTheWritesThenCloses) {
    WriteBytes(ini(), "[General]\r\nForward=0\r\nRegistered=0\r\n");
    setNodeList({"OLD|OLD"});
    open();
    logic->appendRow({"NEW", "NEW_AE"});
    logic->CheckClicked(SettingsCheck::UseForward, true);
    logic->CheckClicked(SettingsCheck::Registered, true);
    onNodeRebuild = [this] {
        EXPECT_NE(ReadBytes(ini()).find("Registered=1\r\n"), std::string::npos) << "the last key is written";
        EXPECT_EQ(record.NodeList[1], "NEW|NEW_AE");
        EXPECT_EQ(record.NodeList[2], "");
        EXPECT_TRUE(record.UseForward);
        EXPECT_TRUE(record.UseRegistered);
        EXPECT_FALSE(view->closed);
    };
    logic->Save();
    EXPECT_EQ(nodeRebuilds, 1);
    EXPECT_TRUE(view->closed);
    EXPECT_FALSE(view->saveEnabled);
}

TEST_F(SettingsDialogLogicTest, AFailedWriteKeepsTheDialogOpenWithAMessage) {
    AppSettings other;
    other.NodeList[0] = "Old|OLD";
    Settings unwritable(dir / "no such folder", other, errors);
    FakeSettingsView v;
    SettingsDialogLogic l(v, shell, unwritable, [] {});
    l.Opening();
    l.CheckClicked(SettingsCheck::UseForward, true);
    l.RowSelected(0);
    l.Delete();
    l.Save();
    EXPECT_FALSE(v.closed);
    EXPECT_TRUE(v.saveEnabled) << "Save can be tried again";
    EXPECT_EQ(shell.messages, std::vector<std::string>{std::string("error: ") + kSaveFailedMessage});
    // The record stays as the file is.
    EXPECT_EQ(other.NodeList[0], "Old|OLD");
    EXPECT_FALSE(other.UseForward);
}

}  // namespace
}  // namespace pelko::config
