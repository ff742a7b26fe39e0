// Character set choice and conversion of text values on the wire.
#include <gtest/gtest.h>

#include <ostream>

#include "dicom/dcmtk/TextEncoding.h"

namespace pelko::dicom::dcmtk {
namespace {

struct ChoiceCase {
    std::string name;
    std::vector<std::string_view> values;
    WireCharset expected;
};
void PrintTo(const ChoiceCase& c, std::ostream* os) {
    *os << c.name;
}

class CharsetChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(CharsetChoice, IsTheSmallestSetHoldingEveryValue) {
    EXPECT_EQ(ChooseCharset(GetParam().values), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    , CharsetChoice,
    ::testing::Values(ChoiceCase{"NoValues", {}, WireCharset::kAscii},
                      ChoiceCase{"AsciiAndEmpty", {"Smith^John", "", "*"}, WireCharset::kAscii},
                      ChoiceCase{"OneLatin1Value", {"Smith", "Müller"}, WireCharset::kLatin1},
                      ChoiceCase{"LastLatin1Character", {"\xC3\xBF"}, WireCharset::kLatin1},  // ÿ U+00FF
                      ChoiceCase{"FirstBeyondLatin1", {"\xC4\x80"}, WireCharset::kUtf8},      // Ā U+0100
                      ChoiceCase{"EuroSignIsNotLatin1", {"Preis 5\xE2\x82\xAC"}, WireCharset::kUtf8},  // €
                      ChoiceCase{"Latin1ThenGreek", {"Müller", "Ωmega"}, WireCharset::kUtf8},
                      ChoiceCase{"GreekThenLatin1", {"Ωmega", "Müller"}, WireCharset::kUtf8}),
    [](const auto& info) { return info.param.name; });

TEST(EncodeText, WritesLatin1BytesOrKeepsUtf8) {
    EXPECT_EQ(EncodeText("Müller^Jürgen", WireCharset::kLatin1), "M\xFCller^J\xFCrgen");
    EXPECT_EQ(EncodeText("Ωmega^Jürgen", WireCharset::kUtf8), "Ωmega^Jürgen");
    EXPECT_EQ(EncodeText("Smith", WireCharset::kAscii), "Smith");
}

struct DecodeCase {
    std::string name;
    std::string bytes;
    std::string charset;
    std::optional<std::string> expected;
};
void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << c.name;
}

class DecodeTextTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTextTest, FollowsTheSpecificCharacterSet) {
    EXPECT_EQ(DecodeText(GetParam().bytes, GetParam().charset), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(, DecodeTextTest,
                         ::testing::Values(DecodeCase{"IsoIr100", "M\xFCller", "ISO_IR 100", "Müller"},
                                           DecodeCase{"IsoIr100Padded", "M\xFCller", "ISO_IR 100 ", "Müller"},
                                           DecodeCase{"NoneIsLatin1", "M\xFCller", "", "Müller"},
                                           DecodeCase{"IsoIr192", "\xCE\xA9mega", "ISO_IR 192", "Ωmega"},
                                           DecodeCase{"IsoIr6", "Smith", "ISO_IR 6", "Smith"},
                                           DecodeCase{"OtherSetLeftToTheCaller", "\xB1", "ISO_IR 144",
                                                      std::nullopt},
                                           DecodeCase{"CodeExtensionsLeftToTheCaller", "Yamada",
                                                      "\\ISO 2022 IR 87", std::nullopt}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace pelko::dicom::dcmtk
