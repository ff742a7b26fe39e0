#include <gtest/gtest.h>

#include "SearchFixture.h"
#include "base/Text.h"

namespace pelko::test {
namespace {

using query::SearchField;
namespace tags = dicom::tags;

// --- small functions

TEST(ComposePatientName, FamilyNameFirst) {
    struct Case {
        const char* first;
        const char* last;
        const char* name;
    };
    const Case cases[] = {
        {"", "Smith", "Smith"},
        {"John", "", "*^John"},
        {"John", "Smith", "Smith^John"},
        {"", "", ""},
        {"*", "*", "*^*"},
        {"Jan", "van Dam", "van Dam^Jan"},
        {"Jürgen", "Müller", "Müller^Jürgen"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(query::ComposePatientName(c.first, c.last), c.name) << c.first << " / " << c.last;
    }
}

TEST(CollapseRepeats, ReplacesUntilThePatternIsGone) {
    struct Case {
        const char* text;
        const char* pattern;
        const char* replacement;
        const char* result;
    };
    const Case cases[] = {
        {"a***b", "**", "*", "a*b"},
        {"%%%%%", "%%", "%", "%"},
        {"**x**y***", "**", "*", "*x*y*"},
        {"abc", "**", "*", "abc"},
        {"", "**", "*", ""},
        {"a*%*%", "**", "*", "a*%*%"},  // no repeat, nothing to do
        // A replacement that brings the pattern back is applied once
        // instead of looping forever.
        {"a*b", "*", "**", "a**b"},
        {"abc", "", "x", "abc"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(query::CollapseRepeats(c.text, c.pattern, c.replacement), c.result) << c.text;
    }
}

TEST(FilterSexKey, OnlyTheThreeLettersAndBackspace) {
    struct Case {
        int key;
        std::optional<std::string> text;
        int passed;
    };
    const Case cases[] = {
        {'M', "M", 0}, {'m', "M", 0}, {'F', "F", 0}, {'f', "F", 0},       {'O', "O", 0},
        {'o', "O", 0}, {'x', {}, 0},  {'1', {}, 0},  {kBackspace, {}, 8}, {' ', {}, 0},
    };
    for (const Case& c : cases) {
        const query::SexKeyResult r = query::FilterSexKey(c.key);
        EXPECT_EQ(r.text, c.text) << c.key;
        EXPECT_EQ(r.key, c.passed) << c.key;
    }
}

// --- the query

using StudySearchTest = SearchFixture;

TEST_F(StudySearchTest, IdentifierCarriesTheCriteriaInOrder) {
    typeNames("Smith", "John");
    panel.values.patientId = "4711";
    panel.values.sex = "F";
    panel.values.birthDate = year{1970} / 2 / 3;
    panel.study = year{2024} / 3 / 1;
    panel.values.studyDescription = "Thorax";
    panel.values.accessionNumber = "A1";
    search.Search();

    ASSERT_EQ(kit.finds.size(), 1u);
    const FindCall& call = kit.finds[0];
    EXPECT_EQ(call.peer.port, 11112);
    EXPECT_EQ(call.peer.host, "127.0.0.1");
    EXPECT_EQ(call.peer.calledAET, "ARCHIVE");
    EXPECT_EQ(call.peer.callingAET, "PELKO_WS");
    EXPECT_EQ(call.peer.timeouts, dicom::Timeouts{});

    const std::vector<std::pair<dicom::Tag, std::string>> expected = {
        {tags::StudyInstanceUID, ""},
        {tags::StudyTime, ""},
        {tags::Modality, ""},
        {tags::ModalitiesInStudy, ""},
        {tags::PatientName, "Smith^John"},
        {tags::PatientID, "4711"},
        {tags::PatientSex, "F"},
        {tags::PatientBirthDate, "19700203"},
        {tags::StudyDate, "20240301"},
        {tags::QueryRetrieveLevel, "STUDY"},
        {tags::StudyDescription, "Thorax"},
        {tags::AccessionNumber, "A1"},
    };
    const auto& items = call.identifier.Attributes().items();
    ASSERT_EQ(items.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(items[i].tag, expected[i].first) << i;
        EXPECT_EQ(items[i].value, expected[i].second) << i;
    }
    EXPECT_EQ(panel.focusToSearch, 1);
}

TEST_F(StudySearchTest, PatientNameAndIdentifierEdgeCases) {
    struct Case {
        const char* last;
        const char* first;
        const char* patID;
        const char* accNum;
        const char* sentName;
        const char* sentID;
    };
    const Case cases[] = {
        {"Smith", "", "", "", "Smith", ""},
        {"", "John", "", "", "*^John", ""},
        {"Smith", "John", "", "", "Smith^John", ""},
        {"van Dam", "", "", "", "van^Dam", ""},
        {"van Dam", "Jan Piet", "", "", "van^Dam^Jan^Piet", ""},
        {"Sm**", "", "", "", "Sm*", ""},
        {"Sm%%%", "J***", "", "", "Sm%^J*", ""},
        {"", "", "a***b%%%", "", "", "a*b%"},
        {"Müller", "Jürgen", "", "", "Müller^Jürgen", ""},
        // Only an accession number: the query runs with empty name and ID.
        {"", "", "", "A-12", "", ""},
        {"*", "*", "", "A-12", "", ""},
        {"**", "", "%%", "A-12", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.last) + "|" + c.first + "|" + c.patID);
        typeNames(c.last, c.first);
        panel.values.patientId = c.patID;
        panel.values.accessionNumber = c.accNum;
        const std::size_t before = kit.finds.size();
        search.Search();
        ASSERT_EQ(kit.finds.size(), before + 1);
        EXPECT_EQ(sent().Item(tags::PatientName), c.sentName);
        EXPECT_EQ(sent().Item(tags::PatientID), c.sentID);
        EXPECT_EQ(sent().Item(tags::AccessionNumber), c.accNum);
    }
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(StudySearchTest, TheTwelveEmptyNamePatternsAreNoCriterion) {
    for (std::string_view pattern : query::kEmptyNamePatterns) {
        SCOPED_TRACE(std::string(pattern));
        typeNames("", "");
        panel.values.patientId = std::string(pattern);
        panel.values.lastName = std::string(pattern);
        panel.values.accessionNumber = "";
        const std::size_t asked = kit.finds.size();
        shell.messages.clear();
        search.Search();
        EXPECT_EQ(kit.finds.size(), asked);
        EXPECT_EQ(shell.messages, std::vector<std::string>{"error: " + std::string(query::kMoreCriteria)});
        EXPECT_EQ(panel.values.patientId, "");
        EXPECT_EQ(panel.values.lastName, std::string(pattern));
    }
    // The name fields keep their (collapsed) text; only the composed name
    // is no criterion.
    typeNames("**", "*");
    panel.values.accessionNumber = "A1";
    search.Search();
    EXPECT_EQ(panel.values.lastName, "*");
    EXPECT_EQ(panel.values.firstName, "*");
    EXPECT_EQ(sent().Item(tags::PatientName), "");
    panel.values.accessionNumber = "";

    // Near misses are criteria, compared exactly.
    for (const char* text : {"^^", " ^", "a*", "*^a", "* ^ *"}) {
        SCOPED_TRACE(text);
        typeNames("", "");
        panel.values.patientId = text;
        const std::size_t asked = kit.finds.size();
        search.Search();
        ASSERT_EQ(kit.finds.size(), asked + 1);
        EXPECT_EQ(sent().Item(tags::PatientID), text);
    }
}

TEST_F(StudySearchTest, MinimumCriteria) {
    struct Case {
        const char* what;
        std::function<void(FakeSearchPanel&)> set;
        bool queried;
    };
    const Case cases[] = {
        {"nothing", [](FakeSearchPanel&) {}, false},
        {"last name", [](FakeSearchPanel& p) { p.values.lastName = "Smith"; }, true},
        {"patient ID", [](FakeSearchPanel& p) { p.values.patientId = "1"; }, true},
        {"sex", [](FakeSearchPanel& p) { p.values.sex = "O"; }, true},
        {"study description", [](FakeSearchPanel& p) { p.values.studyDescription = "x"; }, true},
        {"birth date", [](FakeSearchPanel& p) { p.values.birthDate = year{1980} / 1 / 1; }, true},
        {"study date", [](FakeSearchPanel& p) { p.study = year{2024} / 1 / 1; }, true},
        {"accession number", [](FakeSearchPanel& p) { p.values.accessionNumber = "A"; }, true},
        {"wildcard ID", [](FakeSearchPanel& p) { p.values.patientId = "%%"; }, false},
        {"first name only", [](FakeSearchPanel& p) { p.values.firstName = "John"; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        panel = FakeSearchPanel();
        c.set(panel);
        shell.messages.clear();
        const int associations = kit.queryAssociations;
        search.Search();
        EXPECT_EQ(kit.queryAssociations, associations + (c.queried ? 1 : 0));
        if (c.queried) {
            EXPECT_TRUE(shell.messages.empty());
        } else {
            EXPECT_EQ(shell.messages,
                      std::vector<std::string>{"error: " + std::string(query::kMoreCriteria)});
        }
    }
    // Refusing a query writes no log line.
    EXPECT_TRUE(errorLogLines().empty());
}

TEST(InputRefusal, BackslashControlCharactersAndLengthsNameTheField) {
    const std::string s64(64, 'x'), s16(16, 'x'), umlauts64 = [] {
        std::string t;
        for (int i = 0; i < 64; ++i) t += "ü";
        return t;
    }();
    struct Case {
        const char* what;
        std::function<void(query::SearchCriteria&)> set;
        std::optional<std::string> refusal;
    };
    const Case cases[] = {
        {"plain", [](auto&) {}, std::nullopt},
        {"wildcards and blanks",
         [](auto& c) {
             c.lastName = "van D*m?";
             c.patientId = "%1?";
         },
         std::nullopt},
        {"two accession numbers", [](auto& c) { c.accessionNumber = "ACC1\\ACC2"; },
         "Please remove the backslash (\\) from \"Accession Number\"."},
        {"backslash in description", [](auto& c) { c.studyDescription = "CT\\MR"; },
         "Please remove the backslash (\\) from \"Study Description\"."},
        {"backslash in last name", [](auto& c) { c.lastName = "Sm\\ith"; },
         "Please remove the backslash (\\) from \"Last Name\"."},
        {"backslash in first name", [](auto& c) { c.firstName = "Jo\\hn"; },
         "Please remove the backslash (\\) from \"First Name\"."},
        {"backslash in patient ID", [](auto& c) { c.patientId = "12\\34"; },
         "Please remove the backslash (\\) from \"Patient - ID\"."},
        {"backslash in sex", [](auto& c) { c.sex = "\\"; }, "Please remove the backslash (\\) from \"Sex\"."},
        {"last C1 control", [](auto& c) { c.lastName = "Sm\xc2\x9fith"; },
         "Please remove the control characters (such as Tab) from \"Last Name\"."},
        {"no-break space is text",
         [](auto& c) {
             c.lastName =
                 "van\xc2\xa0"
                 "Dam";
         },
         std::nullopt},
        {"ESC in last name", [](auto& c) { c.lastName = "Sm\x1b(Bith"; },
         "Please remove the control characters (such as Tab) from \"Last Name\"."},
        {"TAB in first name", [](auto& c) { c.firstName = "Jo\thn"; },
         "Please remove the control characters (such as Tab) from \"First Name\"."},
        {"DEL in patient ID", [](auto& c) { c.patientId = "12\x7f"; },
         "Please remove the control characters (such as Tab) from \"Patient - ID\"."},
        {"C1 control in sex", [](auto& c) { c.sex = "\xc2\x85"; },
         "Please remove the control characters (such as Tab) from \"Sex\"."},
        {"first problem in focus order",
         [](auto& c) {
             c.accessionNumber = "A\\B";
             c.patientId = "\n";
         },
         "Please remove the control characters (such as Tab) from \"Patient - ID\"."},
        // Lengths count characters: 64 umlauts are 128 bytes and allowed.
        {"limits reached",
         [&](auto& c) {
             c.lastName = umlauts64;
             c.firstName = "";
             c.patientId = s64;
             c.studyDescription = umlauts64;
             c.accessionNumber = s16;
             c.sex = s16;
         },
         std::nullopt},
        {"last name too long", [&](auto& c) { c.lastName = s64 + "x"; },
         "Please shorten \"Last Name\" to at most 64 characters."},
        {"first name alone goes out as *^first",
         [&](auto& c) {
             c.lastName = "";
             c.firstName = s64.substr(2);
         },
         std::nullopt},
        {"first name alone too long",
         [&](auto& c) {
             c.lastName = "";
             c.firstName = s64.substr(1);
         },
         "Please shorten \"First Name\" to at most 62 characters."},
        {"names share the limit",
         [&](auto& c) {
             c.lastName = s16;
             c.firstName = s64.substr(16);
         },
         "Please shorten \"Last Name\" and \"First Name\" together to at most 63 characters."},
        {"names within the limit",
         [&](auto& c) {
             c.lastName = s16;
             c.firstName = s64.substr(17);
         },
         std::nullopt},
        {"the limit is per component group", [&](auto& c) { c.lastName = s64 + "=" + s64; }, std::nullopt},
        {"wildcard repeats are collapsed first", [&](auto& c) { c.lastName = s64.substr(1) + "***"; },
         std::nullopt},
        {"patient ID", [&](auto& c) { c.patientId = s64 + "x"; },
         "Please shorten \"Patient - ID\" to at most 64 characters."},
        {"study description", [&](auto& c) { c.studyDescription = umlauts64 + "x"; },
         "Please shorten \"Study Description\" to at most 64 characters."},
        {"accession number", [&](auto& c) { c.accessionNumber = s16 + "x"; },
         "Please shorten \"Accession Number\" to at most 16 characters."},
        {"sex", [&](auto& c) { c.sex = s16 + "x"; }, "Please shorten \"Sex\" to at most 16 characters."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        query::SearchCriteria criteria;
        criteria.lastName = "Smith";
        c.set(criteria);
        EXPECT_EQ(query::InputRefusal(query::Cleaned(criteria)), c.refusal);
    }
}

TEST_F(StudySearchTest, RefusedInputReachesNoArchiveFromSearchOrPreset) {
    panel.values.accessionNumber = "ACC1\\ACC2";
    search.Search();
    search.Today();
    EXPECT_EQ(kit.queryAssociations, 0);
    EXPECT_EQ(shell.messages, std::vector<std::string>(2,
                                                       "error: Please remove the backslash (\\) from "
                                                       "\"Accession Number\"."));
    EXPECT_FALSE(panel.study.has_value());
    // The user's input, not a failure: nothing is logged.
    EXPECT_TRUE(errorLogLines().empty());
}

TEST_F(StudySearchTest, RegisteredDateTakesTheCriterionAndStudyDateStaysAReturnKey) {
    WriteBytes(dir / "Settings.ini",
               "[Local]\r\nAET=PELKO_WS\r\n[Query]\r\nAET=ARCHIVE\r\nIP=127.0.0.1\r\nPort=11112\r\n"
               "[General]\r\nForward=0\r\nRegistered=1\r\n");
    panel.study = year{2024} / 3 / 1;
    search.Search();
    EXPECT_EQ(sent().Item(tags::RegisteredDate), "20240301");
    ASSERT_TRUE(sent().Contains(tags::StudyDate));
    EXPECT_EQ(sent().Item(tags::StudyDate), "");

    // The result still shows (0008,0020) in column 2.
    kit.findResult.push_back(Study("1.2.3", "20240301", "P1", "Doe^Jane"));
    search.Search();
    EXPECT_EQ(grid.rows[0].values.studyDate, "20240301");
    search.Week();
    EXPECT_EQ(sent().Item(tags::RegisteredDate), "20240227-20240305");
    EXPECT_EQ(sent().Item(tags::StudyDate), "");
    panel.study = year{2024} / 3 / 1;

    // Switched off in the file: the next search reads it again.
    WriteBytes(dir / "Settings.ini", kSettingsIni);
    search.Search();
    EXPECT_FALSE(sent().Contains(tags::RegisteredDate));
    EXPECT_EQ(sent().Item(tags::StudyDate), "20240301");
}

// --- presets

TEST_F(StudySearchTest, PresetsSetTheStudyDateAndClearItAgain) {
    struct Case {
        const char* preset;
        LocalDateTime now;
        const char* sentDate;
    };
    const Case cases[] = {
        {"Today", At(2024, 3, 5), "20240305"},         {"Yesterday", At(2024, 3, 1), "20240229"},
        {"Yesterday", At(2025, 1, 1), "20241231"},     {"Week", At(2024, 3, 5), "20240227-20240305"},
        {"Week", At(2025, 1, 3), "20241227-20250103"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.preset) + " " + c.sentDate);
        clock.set(c.now);
        const std::string preset = c.preset;
        if (preset == "Today") search.Today();
        if (preset == "Yesterday") search.Yesterday();
        if (preset == "Week") search.Week();
        EXPECT_EQ(sent().Item(tags::StudyDate), c.sentDate);
        EXPECT_FALSE(panel.study.has_value());
    }
}

// A clock that is read at 23:59:59 and then shows the next day.
class MidnightClock : public Clock {
public:
    LocalDateTime now() const override {
        return reads++ == 0 ? At(2024, 2, 29, 23, 59, 59) : At(2024, 3, 1, 0, 0, 0);
    }
    mutable int reads = 0;
};

TEST_F(StudySearchTest, PresetsTakeTheDateOnceWhenPressedAcrossMidnight) {
    struct Case {
        const char* preset;
        const char* sentDate;
    };
    const Case cases[] = {
        {"Today", "20240229"},
        {"Yesterday", "20240228"},
        {"Week", "20240222-20240229"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preset);
        MidnightClock midnight;
        query::StudySearch s{panel, grid, shell, settings, kit, errors, midnight, gate};
        // Midnight passes while the grid fills.
        kit.findResult = Studies(2);
        const std::string preset = c.preset;
        if (preset == "Today") s.Today();
        if (preset == "Yesterday") s.Yesterday();
        if (preset == "Week") s.Week();
        EXPECT_EQ(sent().Item(tags::StudyDate), c.sentDate);
        EXPECT_EQ(midnight.reads, 1);
    }
}

// --- results

TEST_F(StudySearchTest, ResultsFillTheGridOneRowPerStudy) {
    grid.rows.resize(3);  // rows of an earlier search
    grid.sendAllowed = true;
    kit.findResult.push_back(Study("1.2.1", "20240301", "P1", "Smith^John"));
    kit.findResult.push_back(Study("1.2.2", "20240302", "P2", "Müller^Jürgen^^Dr.", ""));
    std::vector<bool> redrawAtPump;
    shell.onProcessEvents = [&] { redrawAtPump.push_back(grid.redraw); };
    search.Search();

    // Under each caption, from "ID" (hidden) to "Modality".
    const std::vector<std::string> row1 = {"1.2.1",    "20240301", "P1",     "Smith John", "F",
                                           "19700101", "101500",   "Thorax", "ACC1.2.1",   "CT"};
    ASSERT_EQ(grid.rowCount(), 2);
    for (int c = 1; c <= query::kGridColumns; ++c) EXPECT_EQ(grid.text(1, c), row1[c - 1]) << c;
    EXPECT_EQ(grid.rows[1].values.patientName, "Müller Jürgen  Dr.");
    EXPECT_EQ(grid.rows[1].values.modality, "");  // none returned
    EXPECT_TRUE(grid.rows[1].study);
    // Filled with the redraw off, letting events run before each row.
    EXPECT_EQ(redrawAtPump, (std::vector<bool>{false, false}));
    EXPECT_TRUE(grid.redraw);
    EXPECT_FALSE(grid.sendAllowed);
    EXPECT_EQ(search.results().Count(), 0);  // told to Clear once shown
}

TEST_F(StudySearchTest, EmptyResultShowsNoData) {
    grid.rows.resize(5);
    grid.sendAllowed = true;
    search.Search();
    ASSERT_EQ(grid.rowCount(), 1);
    EXPECT_EQ(grid.column(2), std::vector<std::string>{"No data"});
    EXPECT_FALSE(grid.isStudy(1));
    EXPECT_FALSE(grid.sendAllowed);
}

TEST_F(StudySearchTest, FourHundredResultsAreNotShown) {
    struct Case {
        int results;
        const char* accNum;
        int rowsAfter;  // the grid held 2 rows before
        bool message;
    };
    const Case cases[] = {
        {399, "", 399, false},
        {400, "", 2, true},
        {400, "A1", 2, true},
        {399, "A1", 399, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.results) + " " + c.accNum);
        grid.rows.assign(2, {});
        grid.rows[0].values.studyDate = "old";
        shell.messages.clear();
        kit.findResult = Studies(c.results);
        panel.values.accessionNumber = c.accNum;
        search.Search();
        EXPECT_EQ(grid.rowCount(), c.rowsAfter);
        if (c.message) {
            EXPECT_EQ(grid.rows[0].values.studyDate, "old");
            EXPECT_EQ(shell.messages,
                      std::vector<std::string>{"error: " + std::string(query::kMoreCriteria)});
        } else {
            EXPECT_TRUE(shell.messages.empty());
        }
    }
    EXPECT_TRUE(errorLogLines().empty());
}

// --- failures

TEST_F(StudySearchTest, ArchiveFailuresAreLoggedAndShownAndTheNextSearchWorks) {
    struct Case {
        const char* what;
        dicom::DicomError error;
    };
    const Case cases[] = {
        {"stopped", dicom::DicomError(dicom::kErrNoConnection, "C-FIND to ARCHIVE: connection refused")},
        {"silent", dicom::DicomError(dicom::kErrTimeout, "C-FIND to ARCHIVE: no response within 60 s")},
        {"refusing",
         dicom::DicomError(dicom::kErrAssociationRejected, "C-FIND to ARCHIVE: association rejected")},
        {"failed status", dicom::DicomError(0xA700, "C-FIND to ARCHIVE: out of resources")},
    };
    std::size_t lines = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        grid.rows.assign(1, {});
        shell.messages.clear();
        grid.sendAllowed = true;
        kit.findError = c.error;
        search.Search();

        const auto log = errorLogLines();
        ASSERT_EQ(log.size(), lines + 1);
        const std::string expectedTail =
            " - " + std::to_string(c.error.number()) + " - " + c.error.what() + " - cmdSearch_Click\r";
        EXPECT_TRUE(log.back().ends_with(expectedTail)) << log.back();
        EXPECT_EQ(shell.messages, std::vector<std::string>{"error: " + std::string(kSeeLogMessage)});
        EXPECT_EQ(grid.rowCount(), 1);  // nothing removed before the failure
        EXPECT_FALSE(grid.sendAllowed);
        EXPECT_FALSE(gate.busy());
        ++lines;

        kit.findError.reset();
        kit.findResult = Studies(3);
        shell.messages.clear();
        search.Search();
        EXPECT_TRUE(shell.messages.empty());
        EXPECT_EQ(grid.rowCount(), 3);
        EXPECT_EQ(errorLogLines().size(), lines);
    }
}

TEST_F(StudySearchTest, FailureWhileFillingKeepsTheRowsWrittenAndRedrawsAgain) {
    kit.findResult = Studies(3);
    grid.onAddStudy = [&](const query::StudyRow&) {
        if (grid.rowCount() == 2) throw std::runtime_error("row refused");
    };
    search.Search();
    EXPECT_EQ(grid.uids(), (std::vector<std::string>{"1.2.1", "1.2.2"}));
    EXPECT_TRUE(grid.redraw);
    const auto log = errorLogLines();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].ends_with(" - 1000 - row refused - cmdSearch_Click\r")) << log[0];
    EXPECT_EQ(shell.messages, std::vector<std::string>{"error: " + std::string(kSeeLogMessage)});
}

TEST_F(StudySearchTest, MissingSettingsFileEndsTheSearchBeforeTheQuery) {
    std::filesystem::remove(dir / "Settings.ini");
    search.Search();
    EXPECT_EQ(kit.queryAssociations, 0);
    const auto log = errorLogLines();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].ends_with(" - 0 - Settings.ini is not available - CheckInI\r")) << log[0];
    EXPECT_EQ(shell.messages, std::vector<std::string>{"error: " + std::string(kSeeLogMessage)});

    WriteBytes(dir / "Settings.ini", kSettingsIni);
    search.Search();
    EXPECT_EQ(kit.finds.size(), 1u);
}

// --- actions arriving while the grid fills

TEST_F(StudySearchTest, ActionsArrivingMidFillAreRefusedAndCloseIsDeferred) {
    kit.findResult = Studies(4);
    panel.study = std::nullopt;
    int closes = 0;
    int pumps = 0;
    shell.onProcessEvents = [&] {
        ++pumps;
        // A second search, the presets, and a close request.
        kit.findResult = Studies(7);
        search.Search();
        search.Today();
        search.Week();
        gate.requestClose([&] { ++closes; });
        EXPECT_EQ(closes, 0);
    };
    search.Search();

    EXPECT_EQ(pumps, 4);
    EXPECT_EQ(kit.finds.size(), 1u);
    ASSERT_EQ(grid.rowCount(), 4);
    EXPECT_EQ(grid.uids(), (std::vector<std::string>{"1.2.1", "1.2.2", "1.2.3", "1.2.4"}));
    EXPECT_FALSE(panel.study.has_value());  // the refused presets left the field alone
    EXPECT_EQ(closes, 1);                   // carried out once the search had ended
    EXPECT_FALSE(gate.busy());

    shell.onProcessEvents = nullptr;
    search.Search();
    EXPECT_EQ(grid.rowCount(), 7);
}

}  // namespace
}  // namespace pelko::test
