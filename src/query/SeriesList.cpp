#include "query/SeriesList.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace pelko::query {
namespace {

namespace tags = dicom::tags;

std::optional<long long> Number(const std::string& text) {
    // IS allows blanks around the digits and a sign (PS3.5 6.2).
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::nullopt;
    const auto last = text.find_last_not_of(' ');
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    if (*begin == '+') ++begin;
    long long value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc{} || ptr != end) return std::nullopt;
    return value;
}

}  // namespace

dicom::Dataset SeriesIdentifier(const std::string& studyUid) {
    dicom::Dataset identifier;
    auto& a = identifier.Attributes();
    a.Add(tags::QueryRetrieveLevel, "SERIES");
    a.Add(tags::StudyInstanceUID, studyUid);
    for (const dicom::Tag tag :
         {tags::SeriesInstanceUID, tags::SeriesNumber, tags::Modality, tags::SeriesDescription,
          tags::NumberOfSeriesRelatedInstances, tags::BodyPartExamined, tags::SeriesDate, tags::SeriesTime}) {
        a.Add(tag, "");
    }
    return identifier;
}

std::vector<SeriesRow> SeriesRows(const dicom::DatasetList& answers) {
    std::vector<SeriesRow> rows;
    for (const dicom::Dataset& answer : answers) {
        const auto& a = answer.Attributes();
        SeriesRow row{a.Item(tags::SeriesInstanceUID),
                      a.Item(tags::SeriesNumber),
                      a.Item(tags::Modality),
                      a.Item(tags::SeriesDescription),
                      a.Item(tags::NumberOfSeriesRelatedInstances),
                      a.Item(tags::BodyPartExamined),
                      a.Item(tags::SeriesDate),
                      a.Item(tags::SeriesTime)};
        if (!row.seriesInstanceUid.empty()) rows.push_back(std::move(row));
    }
    std::stable_sort(rows.begin(), rows.end(), [](const SeriesRow& x, const SeriesRow& y) {
        return SeriesNumberLess(x.number, y.number);
    });
    return rows;
}

bool SeriesNumberLess(const std::string& a, const std::string& b) {
    const auto x = Number(a), y = Number(b);
    if (x && y) return *x < *y;
    if (x || y) return x.has_value();
    return a < b;
}

}  // namespace pelko::query
