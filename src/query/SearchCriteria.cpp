#include "query/SearchCriteria.h"

#include <algorithm>
#include <cstdio>

namespace pelko::query {
namespace {

std::string Collapsed(const std::string& text) {
    return CollapseRepeats(CollapseRepeats(text, "**", "*"), "%%", "%");
}

// Characters of UTF-8 text: every byte but the continuation bytes starts one.
std::size_t Characters(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// C0 controls (ESC, TAB, CR, LF, ...), DEL and the C1 controls U+0080 to
// U+009F (UTF-8 C2 80 to C2 9F).
bool HasControlCharacter(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) return true;
        if (c == 0xC2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9F) return true;
        }
    }
    return false;
}

std::string Quoted(std::string_view label) {
    return "\"" + std::string(label) + "\"";
}

std::string TooLong(std::string_view fields, std::size_t limit) {
    return "Please shorten " + std::string(fields) + " to at most " + std::to_string(limit) + " characters.";
}

// The longest component group ("=" separates them) of a person name.
std::size_t LongestComponentGroup(std::string_view name) {
    std::size_t longest = 0;
    for (std::size_t start = 0;;) {
        const std::size_t end = name.find('=', start);
        longest = std::max(longest, Characters(name.substr(start, end - start)));
        if (end == std::string_view::npos) return longest;
        start = end + 1;
    }
}

}  // namespace

std::string DicomDate(std::chrono::year_month_day date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::string CollapseRepeats(std::string text, std::string_view pattern, std::string_view replacement) {
    if (pattern.empty()) return text;
    const bool endless = replacement.find(pattern) != std::string_view::npos;
    bool found = true;
    while (found) {
        found = false;
        for (auto pos = text.find(pattern); pos != std::string::npos;
             pos = text.find(pattern, pos + replacement.size())) {
            text.replace(pos, pattern.size(), replacement);
            found = true;
        }
        if (endless) break;
    }
    return text;
}

std::string ComposePatientName(const std::string& firstName, const std::string& lastName) {
    if (firstName.empty()) return lastName;
    if (!lastName.empty()) return lastName + "^" + firstName;
    return "*^" + firstName;
}

bool IsEmptyNamePattern(std::string_view text) {
    return std::find(kEmptyNamePatterns.begin(), kEmptyNamePatterns.end(), text) != kEmptyNamePatterns.end();
}

SearchCriteria Cleaned(SearchCriteria c) {
    c.firstName = Collapsed(c.firstName);
    c.lastName = Collapsed(c.lastName);
    c.patientId = Collapsed(c.patientId);
    c.accessionNumber = Collapsed(c.accessionNumber);
    if (IsEmptyNamePattern(c.patientId)) c.patientId.clear();
    return c;
}

std::string PatientNameCriterion(const SearchCriteria& c) {
    std::string name = Collapsed(ComposePatientName(c.firstName, c.lastName));
    if (IsEmptyNamePattern(name)) name.clear();
    return name;
}

bool TooVague(const SearchCriteria& c) {
    return !c.birthDate && !c.studyDates && c.studyDescription.empty() && c.sex.empty() &&
           PatientNameCriterion(c).empty() && c.patientId.empty() && c.accessionNumber.empty();
}

std::optional<std::string> InputRefusal(const SearchCriteria& c) {
    constexpr std::size_t kPersonNameGroup = 64, kLongString = 64, kShortString = 16, kCodeString = 16;
    struct Field {
        const char* label;
        const std::string& text;
        std::size_t limit;  // 0: checked with the composed name
    };
    // In the panel's focus order.
    const Field fields[] = {
        {"Last Name", c.lastName, 0},
        {"Patient - ID", c.patientId, kLongString},
        {"First Name", c.firstName, 0},
        {"Study Description", c.studyDescription, kLongString},
        {"Accession Number", c.accessionNumber, kShortString},
        {"Sex", c.sex, kCodeString},
    };
    for (const Field& f : fields) {
        if (f.text.find('\\') != std::string::npos) {
            return "Please remove the backslash (\\) from " + Quoted(f.label) + ".";
        }
        if (HasControlCharacter(f.text)) {
            return "Please remove the control characters (such as Tab) from " + Quoted(f.label) + ".";
        }
    }
    // The name goes out as one value, last name "^" first name, or "*^"
    // first name: the limit is shared, and named by the fields filled in.
    const std::string name = PatientNameCriterion(c);
    if (LongestComponentGroup(name) > kPersonNameGroup) {
        if (c.firstName.empty()) return TooLong(Quoted("Last Name"), kPersonNameGroup);
        if (c.lastName.empty()) return TooLong(Quoted("First Name"), kPersonNameGroup - 2);
        return TooLong(Quoted("Last Name") + " and " + Quoted("First Name") + " together",
                       kPersonNameGroup - 1);
    }
    for (const Field& f : fields) {
        if (f.limit != 0 && Characters(f.text) > f.limit) return TooLong(Quoted(f.label), f.limit);
    }
    return std::nullopt;
}

std::string StudyDateCriterion(const SearchCriteria& c) {
    if (!c.studyDates) return {};
    std::string text = DicomDate(c.studyDates->first);
    if (c.studyDates->last) text += "-" + DicomDate(*c.studyDates->last);
    return text;
}

dicom::Dataset StudyIdentifier(const SearchCriteria& c, bool registeredDate) {
    dicom::Dataset request;
    dicom::AttributeList& a = request.Attributes();
    a.Add(dicom::tags::StudyInstanceUID, "");
    a.Add(dicom::tags::StudyTime, "");
    a.Add(dicom::tags::Modality, "");
    // Modality is a series attribute; archives that keep to the study level
    // answer it empty or not at all, but fill Modalities in Study.
    a.Add(dicom::tags::ModalitiesInStudy, "");

    std::string name = PatientNameCriterion(c);
    std::replace(name.begin(), name.end(), ' ', '^');
    request.setPatientName(name);
    request.setPatientID(c.patientId);
    request.setPatientSex(c.sex);
    request.setPatientBirthDate(c.birthDate ? DicomDate(*c.birthDate) : "");

    const std::string studyDate = StudyDateCriterion(c);
    if (registeredDate) {
        a.Add(dicom::tags::StudyDate, "");
        a.Add(dicom::tags::RegisteredDate, studyDate);
    } else {
        a.Add(dicom::tags::StudyDate, studyDate);
    }
    a.Add(dicom::tags::QueryRetrieveLevel, "STUDY");
    request.setStudyDescription(c.studyDescription);
    request.setAccessionNumber(c.accessionNumber);
    return request;
}

}  // namespace pelko::query
