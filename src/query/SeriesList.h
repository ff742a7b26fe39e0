// The series of one study: the series-level C-FIND that lists them (Study
// Root, PS3.4 C.6.2.1) and the rows the Series window shows.
#pragma once

#include <string>
#include <vector>

#include "dicom/Toolkit.h"

namespace pelko::query {

// One series as the Series window lists it; texts as the archive gave them.
struct SeriesRow {
    std::string seriesInstanceUid;  // the key a send goes by
    std::string number;             // Series Number
    std::string modality;
    std::string description;
    std::string images;  // Number of Series Related Instances; "" when not answered
    std::string bodyPart;
    std::string date;  // Series Date, YYYYMMDD
    std::string time;  // Series Time
};

// The identifier that asks for every series of study `studyUid` with the
// keys of SeriesRow.
dicom::Dataset SeriesIdentifier(const std::string& studyUid);

// The rows of the answers, in Series Number order (see SeriesNumberLess).
// An answer without Series Instance UID cannot be sent and is left out.
std::vector<SeriesRow> SeriesRows(const dicom::DatasetList& answers);

// Series Numbers compared as numbers ("2" before "10"); one that is no
// number comes after every number, in text order.
bool SeriesNumberLess(const std::string& a, const std::string& b);

}  // namespace pelko::query
