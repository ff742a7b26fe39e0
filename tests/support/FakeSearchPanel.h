// A search panel in memory: the texts of its fields, the two date pickers
// and the range text of "Week", as the search logic sets and reads them.
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>

#include "query/StudySearch.h"

namespace pelko::test {

class FakeSearchPanel : public query::SearchPanelView {
public:
    std::string text(query::SearchField field) const override {
        auto it = texts.find(field);
        return it == texts.end() ? std::string() : it->second;
    }
    void setText(query::SearchField field, const std::string& t) override { texts[field] = t; }
    std::optional<std::chrono::year_month_day> birthDate() const override { return birth; }
    std::optional<std::chrono::year_month_day> studyDate() const override { return study; }
    void setStudyDate(std::optional<std::chrono::year_month_day> date) override { study = date; }
    std::string studyDateRange() const override { return range; }
    void setStudyDateRange(const std::string& r) override { range = r; }
    void focusSearchButton() override { ++focusToSearch; }

    std::map<query::SearchField, std::string> texts;
    std::optional<std::chrono::year_month_day> birth, study;
    std::string range;
    int focusToSearch = 0;
};

}  // namespace pelko::test
