// The search criteria: whatever the fields hold, a search that is not
// refused sends an identifier without a backslash or a control character
// and with every value within its VR's length (PS3.5 6.2).
//
// Input: last name, first name, patient ID, sex, study description and
// accession number, separated by 0x1F, then two bytes for the dates and the
// registered-date option.
#include <QString>
#include <cstdlib>

#include "fuzz/FuzzInput.h"
#include "query/SearchCriteria.h"

namespace {

namespace tags = pelko::dicom::tags;

// Text as the fields give it: valid UTF-8.
std::string FieldText(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdString();
}

std::size_t Characters(std::string_view text) {
    std::size_t n = 0;
    for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

bool HasControlCharacter(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) return true;
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F) return true;
    }
    return false;
}

// Characters of the longest component group ("=" between them) of a name.
std::size_t LongestGroup(std::string_view name) {
    std::size_t longest = 0, current = 0;
    for (char c : name) {
        if (c == '=') {
            current = 0;
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            longest = std::max(longest, ++current);
        }
    }
    return longest;
}

std::chrono::year_month_day Day(std::uint8_t b) {
    return std::chrono::year_month_day{std::chrono::year{1950 + b}, std::chrono::month{1u + b % 12u},
                                       std::chrono::day{1u + b % 28u}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pelko::fuzz::Parts parts(data, size);
    pelko::query::SearchCriteria asked;
    asked.lastName = FieldText(parts.next());
    asked.firstName = FieldText(parts.next());
    asked.patientId = FieldText(parts.next());
    asked.sex = FieldText(parts.next());
    asked.studyDescription = FieldText(parts.next());
    asked.accessionNumber = FieldText(parts.next());
    const std::uint8_t dates = parts.byte();
    if (dates & 1) asked.birthDate = Day(parts.byte());
    if (dates & 2) asked.studyDates = pelko::query::StudyDates{Day(parts.byte()), std::nullopt};
    if (dates & 4) asked.studyDates->last = Day(parts.byte());
    const bool registered = (dates & 8) != 0;

    const pelko::query::SearchCriteria criteria = pelko::query::Cleaned(asked);
    if (pelko::query::InputRefusal(criteria)) return 0;
    const pelko::dicom::Dataset identifier = pelko::query::StudyIdentifier(criteria, registered);
    for (const auto& a : identifier.Attributes().items()) {
        if (a.value.find('\\') != std::string::npos || HasControlCharacter(a.value)) std::abort();
        std::size_t limit = 64;  // LO; the dates and codes are far shorter
        if (a.tag == tags::AccessionNumber || a.tag == tags::PatientSex) limit = 16;  // SH, CS
        const std::size_t length = a.tag == tags::PatientName ? LongestGroup(a.value) : Characters(a.value);
        if (length > limit) std::abort();
    }
    return 0;
}
