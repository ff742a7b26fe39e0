#include <gtest/gtest.h>

#include "query/ModalityText.h"

namespace pelko::query {
namespace {

TEST(ModalityText, FallsBackToModalitiesInStudy) {
    struct Row {
        const char* modality;  // nullptr: not in the answer
        const char* inStudy;
        std::string shown;
    };
    const Row rows[] = {
        {"MR", "CT\\PT", "MR"},        // the series attribute wins when filled
        {"", "CT", "CT"},              // Orthanc: Modality empty
        {nullptr, "CT\\PT", "CT/PT"},  // left out, several in the study
        {nullptr, "CT\\PT\\SR", "CT/PT/SR"},
        {"", "", ""},
        {nullptr, nullptr, ""},
    };
    for (const Row& r : rows) {
        dicom::Dataset study;
        if (r.modality) study.Attributes().Add(dicom::tags::Modality, r.modality);
        if (r.inStudy) study.Attributes().Add(dicom::tags::ModalitiesInStudy, r.inStudy);
        EXPECT_EQ(ModalityText(study), r.shown)
            << (r.modality ? r.modality : "-") << " / " << (r.inStudy ? r.inStudy : "-");
    }
}

}  // namespace
}  // namespace pelko::query
