// Shared helpers of the network tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dicom/Toolkit.h"
#include "dicom/dcmtk/DcmtkToolkit.h"

namespace pelko::test {

inline constexpr const char* kOurAet = "PELKO";

// Timeouts short enough for the failure cases; the connect bound is kept.
inline dicom::Timeouts ShortTimeouts(int seconds = 2) {
    dicom::Timeouts t;
    t.associationSeconds = seconds;
    t.findResponseSeconds = seconds;
    t.moveResponseSeconds = seconds;
    return t;
}

// A QueryAssociation towards `aet` on 127.0.0.1:`port`, set up in the order
// the program uses.
inline std::unique_ptr<dicom::QueryAssociation> NewQuery(
    int port, const std::string& aet, const dicom::Timeouts& timeouts = ShortTimeouts(10)) {
    auto q = dicom::MakeDcmtkToolkit(timeouts)->newQueryAssociation();
    q->setPort(port);
    q->setHost("127.0.0.1");
    q->setCalledAET(aet);
    q->setCallingAET(kOurAet);
    q->setRoot("STUDY");
    return q;
}

// Runs `f` and returns the DicomError it throws; fails the test when it
// throws none.
template <typename F>
dicom::DicomError ExpectDicomError(F&& f) {
    try {
        f();
    } catch (const dicom::DicomError& e) {
        return e;
    }
    ADD_FAILURE() << "no DicomError thrown";
    return dicom::DicomError(0, "");
}

}  // namespace pelko::test
