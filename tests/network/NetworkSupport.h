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
    t.moveCancelGraceSeconds = 1;
    return t;
}

// The peer `aet` on 127.0.0.1:`port`, called by us.
inline dicom::AssociationParameters PeerAt(int port, const std::string& aet,
                                           const dicom::Timeouts& timeouts = ShortTimeouts(10)) {
    dicom::AssociationParameters peer;
    peer.host = "127.0.0.1";
    peer.port = port;
    peer.calledAET = aet;
    peer.callingAET = kOurAet;
    peer.timeouts = timeouts;
    return peer;
}

inline std::unique_ptr<dicom::QueryAssociation> NewQuery(
    int port, const std::string& aet, const dicom::Timeouts& timeouts = ShortTimeouts(10)) {
    return dicom::MakeDcmtkToolkit()->newQueryAssociation(PeerAt(port, aet, timeouts));
}

inline std::unique_ptr<dicom::StoreAssociation> NewStore(
    int port, const std::string& aet, const dicom::Timeouts& timeouts = ShortTimeouts(10)) {
    return dicom::MakeDcmtkToolkit()->newStoreAssociation(PeerAt(port, aet, timeouts));
}

// An identifier with the search's return keys: Study Instance UID, Study
// Time and Modality.
inline dicom::Dataset ReturnKeys() {
    dicom::Dataset d;
    d.Attributes().Add(dicom::tags::StudyInstanceUID, "");
    d.Attributes().Add(dicom::tags::StudyTime, "");
    d.Attributes().Add(dicom::tags::Modality, "");
    return d;
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
