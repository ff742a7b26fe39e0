#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/IniFile.h"
#include "log/Error.h"
#include "support/TempDir.h"

namespace pelko::config {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

// Names of everything in a folder, to catch temporary files left behind.
std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// ---------------------------------------------------------------- reading

struct ReadCase {
    const char* name;
    std::string file;
    const char* section;
    const char* key;
    const char* defaultValue;
    std::string expected;
};

class IniReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, GivesValueOrDefault) {
    const ReadCase& c = GetParam();
    TempDir dir;
    const fs::path file = dir / "Settings.ini";
    WriteBytes(file, c.file);
    EXPECT_EQ(ReadIni(c.section, c.key, c.defaultValue, file), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReadTest,
    testing::Values(
        ReadCase{"NamesIgnoreCaseAndNoFinalLineEnd", "[Settings]\r\nPort=104", "settings", "PORT", "0",
                 "104"},
        ReadCase{"EmptyValueIsNotDefault", "[S]\r\nk=\r\n", "S", "k", "d", ""},
        ReadCase{"BlankValueIsNotDefault", "[S]\r\nk=   \t\r\n", "S", "k", "d", ""},
        ReadCase{"LineWithoutEqualsIsNoKey", "[S]\r\nk\r\n", "S", "k", "d", "d"},
        ReadCase{"BlanksAroundKeyAndValue", "[S]\r\n  \t k \t =  \t v x \t \r\n", "S", "k", "d", "v x"},
        ReadCase{"VerticalTabIsBlank", "[S]\r\n\vk\v=\vv\v\r\n", "S", "k", "d", "v"},
        ReadCase{"SplitAtFirstEquals", "[S]\r\nk=a=b=c\r\n", "S", "k", "d", "a=b=c"},
        ReadCase{"NoInlineComments", "[S]\r\nAET=PACS ;main\r\n", "S", "AET", "d", "PACS ;main"},
        ReadCase{"HashIsNoComment", "[S]\r\n#k=1\r\n", "S", "#k", "d", "1"},
        ReadCase{"KeyAfterCommentedKey", "[S]\r\n;k=1\r\nk=2\r\n", "S", "k", "d", "2"},
        ReadCase{"CommentNeverMatches", "[S]\r\n;k=1\r\nk=2\r\n", "S", ";k", "d", "d"},
        ReadCase{"IndentedComment", "[S]\r\n  ;k=1\r\n", "S", ";k", "d", "d"},
        ReadCase{"SecondSectionOfNameInvisible", "[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n", "S", "b", "d", "d"},
        ReadCase{"FirstSectionOfNameSearched", "[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n", "S", "a", "d", "1"},
        ReadCase{"FirstDuplicateKeyWins", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "d", "1"},
        ReadCase{"KeyOfOtherSectionNotSeen", "[S]\r\na=1\r\n[T]\r\nk=2\r\n", "S", "k", "d", "d"},
        ReadCase{"LinesBeforeFirstSectionUnreadable", "k=0\r\n[S]\r\n", "", "k", "d", "d"},
        ReadCase{"LinesBeforeFirstSectionNotInFirst", "k=0\r\n[S]\r\nj=1\r\n", "S", "k", "d", "d"},
        ReadCase{"EmptySectionName", "k=0\r\n[]\r\nk=5\r\n", "", "k", "d", "5"},
        ReadCase{"BlanksInsideBrackets", "[ Query ]\r\nAET=X\r\n", "Query", "AET", "d", "X"},
        ReadCase{"TextAfterBracketIgnored", "[Query] old ]\r\nAET=X\r\n", "Query", "AET", "d", "X"},
        ReadCase{"HeaderWithoutBracket", "[Query \r\nAET=X\r\n", "Query", "AET", "d", "X"},
        ReadCase{"IndentedHeader", "  [Query]\r\nAET=X\r\n", "Query", "AET", "d", "X"},
        ReadCase{"BlanksAroundArguments", "[Query]\r\nAET=X\r\n", " Query\t", "\tAET ", "d", "X"},
        ReadCase{"MissingSection", "[Query]\r\nAET=X\r\n", "Local", "AET", "d", "d"},
        ReadCase{"MissingKey", "[Query]\r\nAET=X\r\n", "Query", "IP", "d", "d"},
        ReadCase{"DefaultLosesTrailingBlanksOnly", "[Query]\r\n", "Query", "IP", "  d \t ", "  d"},
        ReadCase{"QuotesRemovedBlanksInsideKept", "[S]\r\nAET=\"  X \"\r\n", "S", "AET", "d", "  X "},
        ReadCase{"SingleQuotesRemoved", "[S]\r\nk=  'a b'  \r\n", "S", "k", "d", "a b"},
        ReadCase{"MismatchedQuotesStay", "[S]\r\nk=\"abc'\r\n", "S", "k", "d", "\"abc'"},
        ReadCase{"OneSidedQuoteStays", "[S]\r\nk=\"abc\r\n", "S", "k", "d", "\"abc"},
        ReadCase{"LoneQuoteStays", "[S]\r\nk=\"\r\n", "S", "k", "d", "\""},
        ReadCase{"EmptyQuotesGiveEmpty", "[S]\r\nk=''\r\n", "S", "k", "d", ""},
        ReadCase{"OnlyOuterPairRemoved", "[S]\r\nk=\"\"x\"\"\r\n", "S", "k", "d", "\"x\""},
        ReadCase{"Latin1ValueToUtf8", "[S]\r\nName=M\xFCller\r\n", "S", "Name", "d", "M\xC3\xBCller"},
        ReadCase{"Utf8NamesMatchLatin1File",
                 "[Gr\xF6\xDF"
                 "e]\r\nH\xF6he=1\r\n",
                 "Gr\xC3\xB6\xC3\x9F"
                 "e",
                 "H\xC3\xB6he", "d", "1"},
        ReadCase{"Utf8DefaultKept", "", "S", "k", "M\xC3\xBCller ", "M\xC3\xBCller"},
        ReadCase{"BomSkipped", "\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", "d", "1"},
        ReadCase{"MixedLineEnds", "[A]\rx=1\n[S]\r\nk=7", "S", "k", "d", "7"}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

// The same file with each kind of line end must read alike.
class IniLineEndTest : public testing::TestWithParam<std::string> {};

TEST_P(IniLineEndTest, ReadsAlike) {
    const std::string& eol = GetParam();
    const std::vector<std::string> lines = {"; settings", "", "[Query]", "AET = PACS",
                                            "Port=104",   "", "[Local]", "AET=ME"};
    std::string text;
    for (const auto& line : lines) text += line + eol;
    TempDir dir;
    const fs::path file = dir / "Settings.ini";
    WriteBytes(file, text);
    EXPECT_EQ(ReadIni("Query", "AET", "", file), "PACS");
    EXPECT_EQ(ReadIni("Query", "Port", "0", file), "104");
    EXPECT_EQ(ReadIni("Query", "IP", "none", file), "none");
    EXPECT_EQ(ReadIni("Local", "AET", "", file), "ME");
}

INSTANTIATE_TEST_SUITE_P(Eol, IniLineEndTest, testing::Values("\r\n", "\n", "\r"),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param == "\r\n" ? std::string("CRLF")
                                    : info.param == "\n" ? "LF"
                                                         : "CR";
                         });

struct CutCase {
    const char* name;
    std::string value;  // as in the file, after "k="
    int size;
    std::string expected;
};

class IniTruncationTest : public testing::TestWithParam<CutCase> {};

TEST_P(IniTruncationTest, CutsToSizeMinusOne) {
    const CutCase& c = GetParam();
    TempDir dir;
    const fs::path file = dir / "Settings.ini";
    WriteBytes(file, "[S]\r\nk=" + c.value + "\r\n");
    EXPECT_EQ(ReadIni("S", "k", "", file, c.size), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, IniTruncationTest,
    testing::Values(CutCase{"Len254", std::string(254, 'a'), 256, std::string(254, 'a')},
                    CutCase{"Len255", std::string(255, 'a'), 256, std::string(255, 'a')},
                    CutCase{"Len256", std::string(256, 'a'), 256, std::string(255, 'a')},
                    CutCase{"Len300", std::string(300, 'a'), 256, std::string(255, 'a')},
                    // Quotes go first: 255 characters inside them all come back.
                    CutCase{"QuotedLen255", '"' + std::string(255, 'a') + '"', 256, std::string(255, 'a')},
                    CutCase{"QuotedLen300", '"' + std::string(300, 'a') + '"', 256, std::string(255, 'a')},
                    // Characters of the file count, not UTF-8 bytes of the result.
                    CutCase{"Latin1Counted", std::string(300, '\xFC'), 256,
                            [] {
                                std::string s;
                                for (int i = 0; i < 255; ++i) s += "\xC3\xBC";
                                return s;
                            }()},
                    CutCase{"SmallSize", "abcdefghijkl", 10, "abcdefghi"}, CutCase{"SizeOne", "abc", 1, ""}),
    [](const testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

TEST(IniReadFile, MissingFileGivesDefaultAndStaysMissing) {
    TempDir dir;
    const fs::path file = dir / "Settings.ini";
    EXPECT_EQ(ReadIni("Size", "SearchHeight", "10000", file), "10000");
    EXPECT_FALSE(fs::exists(file));
}

TEST(IniReadFile, EveryReadSeesTheFileAsItIsNow) {
    TempDir dir;
    const fs::path file = dir / "Settings.ini";
    WriteBytes(file, "[Query]\r\nPort=104\r\n");
    EXPECT_EQ(ReadIni("Query", "Port", "0", file), "104");
    WriteBytes(file, "[Query]\r\nPort=4242\r\n");
    EXPECT_EQ(ReadIni("Query", "Port", "0", file), "4242");
    fs::remove(file);
    EXPECT_EQ(ReadIni("Query", "Port", "0", file), "0");
}

// A settings file that cannot be one is refused at once.
TEST(IniReadFile, SameSizeRewriteAndHugeBlankFileReadRight) {
    TempDir dir;
    const fs::path file = dir / "Settings.ini";
    WriteBytes(file, "[Query]\r\nPort=104\r\n");
    EXPECT_EQ(ReadIni("Query", "Port", "0", file), "104");
    WriteBytes(file, "[Query]\r\nPort=105\r\n");  // same size, same second
    EXPECT_EQ(ReadIni("Query", "Port", "0", file), "105");
    WriteBytes(file, std::string(4 * 1024 * 1024, '\n') + "[Query]\r\nPort=106\r\n");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadIni("Query", "Port", "0", file), "106");
}

TEST(IniWriteFile, LineBreakNeverReachesTheFile) {
    TempDir dir;
    const fs::path file = dir / "Settings.ini";
    WriteBytes(file, "[Forward]\r\nNode0=A|B\r\n");
    for (const char* value : {"WS1\r\n[Log]\r\nDicom=1", "WS1\n[Log]", "WS1\rDicom=1"}) {
        EXPECT_FALSE(WriteIni("Forward", "Node0", value, file));
        EXPECT_FALSE(WriteIni("Forward", value, "x", file));
    }
    EXPECT_EQ(ReadBytes(file), "[Forward]\r\nNode0=A|B\r\n");
}

// ---------------------------------------------------------------- writing

struct WriteCase {
    const char* name;
    std::optional<std::string> before;  // nullopt: no file
    const char* section;
    const char* key;
    const char* value;
    std::string after;
};

class IniWriteTest : public testing::TestWithParam<WriteCase> {};

TEST_P(IniWriteTest, WritesExactBytes) {
    const WriteCase& c = GetParam();
    TempDir dir;
    const fs::path file = dir / "Settings.ini";
    if (c.before) WriteBytes(file, *c.before);
    ASSERT_TRUE(WriteIni(c.section, c.key, c.value, file));
    EXPECT_EQ(ReadBytes(file), c.after);
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"Settings.ini"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWriteTest,
    testing::Values(
        WriteCase{"MissingFileCreated", std::nullopt, "Section", "key", "value",
                  "[Section]\r\nkey=value\r\n"},
        WriteCase{"EmptyFile", "", "B", "k", "v", "[B]\r\nk=v\r\n"},
        WriteCase{"SectionAppended", "[A]\r\nx=1\r\n", "B", "k", "v", "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        WriteCase{"SectionAppendedAfterMissingLineEnd", "[A]\r\nx=1", "B", "k", "v",
                  "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        WriteCase{"SectionAppendedToLfFile", "[A]\nx=1\n", "B", "k", "v", "[A]\nx=1\n[B]\r\nk=v\r\n"},
        WriteCase{"SectionAppendedAfterTrailingBlankLines", "[A]\r\nx=1\r\n\r\n", "B", "k", "v",
                  "[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n"},
        WriteCase{"OnlyThatLineChanges",
                  "; Pelko settings\r\n\r\n[Query]\r\nk = 1\r\n  m = 1  \r\n\r\n; archive\r\n[Local]\nm=7\n",
                  "Query", "m", "3",
                  "; Pelko settings\r\n\r\n[Query]\r\nk = 1\r\nm=3\r\n\r\n; archive\r\n[Local]\nm=7\n"},
        // The replaced line is the file's key, trimmed, '=' and the value.
        WriteCase{"ReplacedLineLosesItsBlanks", "[S]\r\n  k = 1\r\n", "S", "k", "9", "[S]\r\nk=9\r\n"},
        WriteCase{"FileSpellingOfNamesKept", "[ qUERY ]\r\nAeT=OLD\r\n", "Query", "AET", "NEW",
                  "[ qUERY ]\r\nAeT=NEW\r\n"},
        WriteCase{"FirstDuplicateKeyReplaced", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "9",
                  "[S]\r\nk=9\r\nk=2\r\n"},
        WriteCase{"ReplacedLineKeepsLfEnd", "[S]\nk=1\nz=0", "S", "k", "2", "[S]\nk=2\nz=0"},
        WriteCase{"ReplacedLineKeepsCrEnd", "[S]\rk=1\rz=0\r", "S", "k", "2", "[S]\rk=2\rz=0\r"},
        WriteCase{"ReplacedLastLineStaysWithoutEnd", "[S]\r\nk=1", "S", "k", "2", "[S]\r\nk=2"},
        WriteCase{"SameValueLeavesFile", "[S]\nk=1", "S", "k", "1", "[S]\nk=1"},
        WriteCase{"CommentedKeyNotReplaced", "[S]\r\na=0\r\n;k=1\r\n", "S", "k", "2",
                  "[S]\r\na=0\r\nk=2\r\n;k=1\r\n"},
        WriteCase{"KeyOfLaterDuplicateSectionNotReplaced", "[S]\r\na=1\r\n[T]\r\n[S]\r\nb=2\r\n", "S", "b",
                  "3", "[S]\r\na=1\r\nb=3\r\n[T]\r\n[S]\r\nb=2\r\n"},
        WriteCase{"KeyBeforeFirstSectionNotReplaced", "k=0\r\n[S]\r\n", "S", "k", "1",
                  "k=0\r\n[S]\r\nk=1\r\n"},
        WriteCase{"KeyInsertedBeforeTrailingBlankAndComment", "[S]\r\na=1\r\n\r\n; note\r\n[T]\r\nx=1\r\n",
                  "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n\r\n; note\r\n[T]\r\nx=1\r\n"},
        WriteCase{"KeyInsertedAfterKeyBetweenComments", "[S]\r\na=1\r\n; c\r\nz=2\r\n\r\n", "S", "b", "2",
                  "[S]\r\na=1\r\n; c\r\nz=2\r\nb=2\r\n\r\n"},
        // A section with no key lines gets the key right under its header.
        WriteCase{"KeyInsertedUnderBareHeader", "[S]\r\n; c\r\n\r\n[T]\r\n", "S", "b", "2",
                  "[S]\r\nb=2\r\n; c\r\n\r\n[T]\r\n"},
        WriteCase{"KeyInsertedAfterLastLineWithoutEnd", "[S]\r\na=1", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n"},
        WriteCase{"KeyInsertedAfterHeaderWithoutEnd", "[S]", "S", "b", "2", "[S]\r\nb=2\r\n"},
        WriteCase{"KeyInsertedIntoLfFileUsesCrlf", "[S]\na=1\n[T]\n", "S", "b", "2",
                  "[S]\na=1\nb=2\r\n[T]\n"},
        // A line without '=' is no key but still part of the section's body.
        WriteCase{"LineWithoutEqualsNotReplaced", "[S]\r\nk\r\n\r\n", "S", "k", "1",
                  "[S]\r\nk\r\nk=1\r\n\r\n"},
        WriteCase{"ValueWrittenAsGiven", "[S]\r\nk=1\r\n", "S", "k", " \"v\" ;x ", "[S]\r\nk= \"v\" ;x \r\n"},
        WriteCase{"EmptyValueKeepsKey", "[S]\r\nk=1\r\n", "S", "k", "", "[S]\r\nk=\r\n"},
        WriteCase{"BlanksAroundNewNamesDropped", std::nullopt, " New\t", "\tk ", "v", "[New]\r\nk=v\r\n"},
        WriteCase{"BlanksAroundNewKeyDropped", "[S]\r\n", " S ", " k ", "v", "[S]\r\nk=v\r\n"},
        WriteCase{"Utf8BecomesLatin1", std::nullopt, "Patient", "Name", "M\xC3\xBCller",
                  "[Patient]\r\nName=M\xFCller\r\n"},
        WriteCase{"Utf8NamesMatchLatin1File",
                  "[Gr\xF6\xDF"
                  "e]\r\nH\xF6he=1\r\n",
                  "GR\xC3\xB6\xC3\x9F"
                  "E",
                  "H\xC3\xB6he", "2",
                  "[Gr\xF6\xDF"
                  "e]\r\nH\xF6he=2\r\n"},
        WriteCase{"BomKeptOnReplace", "\xEF\xBB\xBF[S]\r\nk=1\r\n", "S", "k", "2",
                  "\xEF\xBB\xBF[S]\r\nk=2\r\n"},
        WriteCase{"BomKeptOnAppend", "\xEF\xBB\xBF", "S", "k", "2", "\xEF\xBB\xBF[S]\r\nk=2\r\n"}),
    [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

// Several writes in a row, each on the file the one before left.
struct Step {
    const char* section;
    const char* key;
    const char* value;
};

struct SequenceCase {
    const char* name;
    std::optional<std::string> before;
    std::vector<Step> steps;
    std::string after;
};

class IniWriteSequenceTest : public testing::TestWithParam<SequenceCase> {};

TEST_P(IniWriteSequenceTest, WritesExactBytes) {
    const SequenceCase& c = GetParam();
    TempDir dir;
    const fs::path file = dir / "Settings.ini";
    if (c.before) WriteBytes(file, *c.before);
    for (const Step& step : c.steps) ASSERT_TRUE(WriteIni(step.section, step.key, step.value, file));
    EXPECT_EQ(ReadBytes(file), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWriteSequenceTest,
    testing::Values(
        SequenceCase{
            "WindowCloseIntoMissingFile",
            std::nullopt,
            {{"Size", "SearchHeight", "10005"},
             {"Active", "0", "0"},
             {"Active", "1", "0"},
             {"Active", "2", "0"},
             {"Active", "3", "0"},
             {"Active", "4", "0"},
             {"Active", "5", "0"},
             {"Active", "6", "0"},
             {"Active", "7", "0"}},
            "[Size]\r\nSearchHeight=10005\r\n[Active]\r\n0=0\r\n1=0\r\n2=0\r\n3=0\r\n4=0\r\n5=0\r\n6=0\r\n"
            "7=0\r\n"},
        SequenceCase{"MissingKeysInOrderOfCalls",
                     "[S]\r\na=1\r\n\r\n[T]\r\n",
                     {{"S", "c", "3"}, {"S", "b", "2"}},
                     "[S]\r\na=1\r\nc=3\r\nb=2\r\n\r\n[T]\r\n"},
        SequenceCase{"RewriteAfterInsert",
                     "[S]\na=1\n",
                     {{"S", "b", "2"}, {"s", "B", "5"}, {"S", "a", ""}},
                     "[S]\na=\nb=5\r\n"}),
    [](const testing::TestParamInfo<SequenceCase>& info) { return std::string(info.param.name); });

TEST(IniWriteFile, ReplacedValueReadsBack) {
    TempDir dir;
    const fs::path file = dir / "Settings.ini";
    WriteBytes(file, "[S]\r\nk=1\r\nk=2\r\n");
    ASSERT_TRUE(WriteIni("S", "k", "9", file));
    EXPECT_EQ(ReadIni("S", "k", "", file), "9");
    ASSERT_TRUE(WriteIni("S", "k", " v ", file));
    EXPECT_EQ(ReadIni("S", "k", "", file), "v");
    ASSERT_TRUE(WriteIni("S", "Name", "M\xC3\xBCller", file));
    EXPECT_EQ(ReadIni("S", "Name", "", file), "M\xC3\xBCller");
}

TEST(IniWriteFile, ReadOnlyFileUnchanged) {
    TempDir dir;
    const fs::path file = dir / "Settings.ini";
    const std::string before = "[Query]\nPort=104";
    WriteBytes(file, before);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_FALSE(WriteIni("Query", "Port", "105", file));
    EXPECT_FALSE(WriteIni("Local", "AET", "ME", file));
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_EQ(ReadIni("Query", "Port", "0", file), "104");
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"Settings.ini"});
}

TEST(IniWriteFile, MissingFolderFailsAndCreatesNothing) {
    TempDir dir;
    const fs::path file = dir / "Missing" / "Settings.ini";
    EXPECT_FALSE(WriteIni("Query", "Port", "104", file));
    EXPECT_FALSE(fs::exists(dir / "Missing"));
    EXPECT_TRUE(FolderEntries(dir.path()).empty());
}

TEST(IniWriteFile, FolderInPlaceOfFileFails) {
    TempDir dir;
    const fs::path file = dir / "Settings.ini";
    fs::create_directory(file);
    EXPECT_FALSE(WriteIni("Query", "Port", "104", file));
    EXPECT_TRUE(fs::is_directory(file));
    EXPECT_EQ(FolderEntries(dir.path()), std::vector<std::string>{"Settings.ini"});
}

}  // namespace
}  // namespace pelko::config
