// A search panel in memory: what its fields and date pickers hold, as the
// search logic reads them and writes the cleaned texts back.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "query/StudySearch.h"

namespace pelko::test {

class FakeSearchPanel : public query::SearchPanelView {
public:
    query::SearchCriteria criteria() const override {
        query::SearchCriteria c = values;
        if (study) c.studyDates = query::StudyDates{*study, std::nullopt};
        return c;
    }
    void setText(query::SearchField field, const std::string& t) override {
        switch (field) {
            case query::SearchField::FirstName:
                values.firstName = t;
                break;
            case query::SearchField::LastName:
                values.lastName = t;
                break;
            case query::SearchField::PatientId:
                values.patientId = t;
                break;
            case query::SearchField::AccessionNumber:
                values.accessionNumber = t;
                break;
        }
    }
    void setStudyDate(std::optional<std::chrono::year_month_day> date) override { study = date; }
    void focusSearchButton() override { ++focusToSearch; }

    query::SearchCriteria values;                      // the fields; studyDates unused, see `study`
    std::optional<std::chrono::year_month_day> study;  // the study date picker
    int focusToSearch = 0;
};

}  // namespace pelko::test
