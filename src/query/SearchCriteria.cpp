#include "query/SearchCriteria.h"

#include <algorithm>
#include <cstdio>

namespace pelko::query {
namespace {

std::string Collapsed(const std::string& text) {
    return CollapseRepeats(CollapseRepeats(text, "**", "*"), "%%", "%");
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
