// What the user asks the archive for, as a value: taken from the search
// panel when "Search" or a preset is pressed, cleaned, and turned into the
// study-level C-FIND identifier. Texts are UTF-8.
#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "dicom/Toolkit.h"

namespace pelko::query {

// Texts that count as no criterion in the patient ID and the composed
// patient name, compared exactly.
inline constexpr std::array<std::string_view, 12> kEmptyNamePatterns = {
    "*", "*^", "^*", "*^*", "%", "%^", "^%", "%^%", "^", " ^ ", "%^*", "*^%"};

// One study date, or the range from `first` to `last`.
struct StudyDates {
    std::chrono::year_month_day first{};
    std::optional<std::chrono::year_month_day> last;
    bool operator==(const StudyDates&) const = default;
};

struct SearchCriteria {
    std::string lastName;
    std::string firstName;
    std::string patientId;
    std::string sex;
    std::optional<std::chrono::year_month_day> birthDate;
    std::optional<StudyDates> studyDates;
    std::string studyDescription;
    std::string accessionNumber;
    bool operator==(const SearchCriteria&) const = default;
};

// "YYYYMMDD".
std::string DicomDate(std::chrono::year_month_day date);

// Replaces `pattern` by `replacement` again and again until `pattern` no
// longer occurs. A replacement that would bring the pattern back forever
// (it contains the pattern) is applied in one pass only.
std::string CollapseRepeats(std::string text, std::string_view pattern, std::string_view replacement);

// The DICOM person name from the two name fields, family name first:
// "Smith", "Smith^John", or "*^John" when only the first name is given.
std::string ComposePatientName(const std::string& firstName, const std::string& lastName);

bool IsEmptyNamePattern(std::string_view text);

// The criteria as the search sends them: repeated "*" and "%" collapsed in
// the names, the patient ID and the accession number; a patient ID that is
// only a wildcard pattern dropped.
SearchCriteria Cleaned(SearchCriteria criteria);

// The composed patient name, "" when it is only a wildcard pattern. Blanks
// are kept (the identifier turns them into "^").
std::string PatientNameCriterion(const SearchCriteria& criteria);

// True when nothing narrows the search down enough to send it.
bool TooVague(const SearchCriteria& criteria);

// Why cleaned `criteria` cannot be sent, as the message that names the
// field, or nothing when they can. Refused are a backslash (the value
// delimiter, which DICOM cannot escape), control characters, and values
// longer than their value representation allows (PS3.5 6.2): the composed
// patient name 64 characters per component group (PN), patient ID and
// study description 64 (LO), accession number 16 (SH), sex 16 (CS).
// Lengths count characters, not bytes: the toolkit picks a character set
// that holds every character the user can type.
std::optional<std::string> InputRefusal(const SearchCriteria& criteria);

// "YYYYMMDD", "YYYYMMDD-YYYYMMDD" for a range, "" for none.
std::string StudyDateCriterion(const SearchCriteria& criteria);

// The study-level C-FIND identifier for cleaned `criteria`, with Study
// Instance UID, Study Time, Modality and Modalities in Study as return
// keys. With
// `registeredDate` the study date goes to the archive's registered date,
// and the Study Date stays an empty return key.
dicom::Dataset StudyIdentifier(const SearchCriteria& criteria, bool registeredDate);

}  // namespace pelko::query
