// A small archive stand-in of our own on DCMTK's DcmSCP, for the faults no
// real archive produces on demand: thousands of matches, ignored C-CANCEL,
// silence, failure statuses, dropped associations, odd character sets. It
// runs in a thread of the test process on a free loopback port and records
// what arrived on the wire.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dicom/Toolkit.h"

namespace pelko::test {

// One element of a data set as it arrived.
struct WireElement {
    dicom::Tag tag;
    std::string vr;     // as read: from the stream (explicit VR) or the dictionary
    std::string raw;    // value bytes, padding included
    std::string value;  // raw without trailing padding (blank or NUL)
    std::string text;   // value as UTF-8, decoded by the data set's (0008,0005)
};

struct WireDataset {
    std::string transferSyntax;  // of the presentation context it came on
    std::vector<WireElement> elements;

    const WireElement* Find(dicom::Tag tag) const;
};

struct MoveRequest {
    std::string destination;
    std::string level;
    std::string studyUID;
};

struct StoreRequest {
    std::string sopClassUID;     // of the command
    std::string sopInstanceUID;  // of the command
    WireDataset dataset;
};

enum class CancelMode { kHonour, kIgnore };

struct TestScpBehaviour {
    std::string aet = "TESTSCP";
    // Refuse every association (as "called AE title not recognized"); an
    // association to another AE title is refused the same way.
    bool refuseAssociation = false;
    // After any request: no response, and nothing more read either (a hung
    // archive); the association ends when the client closes the connection.
    bool neverAnswer = false;

    // C-FIND: `matches` pending responses with generated studies, then
    // `findStatus`.
    int matches = 0;
    std::string answerCharset;                   // (0008,0005) of the answers; "" sends none
    std::string answerPatientName = "Doe^John";  // bytes as sent
    std::vector<dicom::Attribute> answerExtra;   // further attributes, value bytes as sent
    CancelMode cancel = CancelMode::kHonour;
    std::chrono::milliseconds answerDelay{0};  // before every response
    int abortAfter = -1;                       // A-ABORT after this many pending responses
    bool answerWithoutIdentifier = false;      // pending responses that carry no data set
    std::uint16_t findStatus = 0x0000;

    // C-MOVE: with `movePending` > 0, that many pending responses (one per
    // image, `answerDelay` before each), C-CANCEL answered or ignored as
    // `cancel` says; otherwise a pending response. Then the final one with
    // these values (`moveCompleted` replaced by `movePending` when set).
    int movePending = 0;
    std::uint16_t moveStatus = 0x0000;
    std::uint16_t moveCompleted = 1;
    std::uint16_t moveFailed = 0;
    std::uint16_t moveWarning = 0;
    std::string moveErrorComment;

    // C-STORE: answered with `storeStatus`, or A-ABORT instead of an answer
    // (as an archive that takes no stores from the caller's AE title).
    std::uint16_t storeStatus = 0x0000;
    bool abortOnStore = false;
};

struct TestScpRecord {
    // Of every association request: each abstract syntax with each of its transfer syntaxes, and the PDU.
    std::vector<std::pair<std::string, std::string>> proposed;
    std::vector<unsigned long> maxPdus;
    int associations = 0;  // accepted
    int released = 0;      // ended by the peer's A-RELEASE
    int peerAborted = 0;   // ended by the peer's A-ABORT
    int otherEnd = 0;      // ended otherwise (our abort, network error)
    std::vector<WireDataset> findIdentifiers;
    int findResponsesSent = 0;  // pending responses
    // Per C-FIND: from the request read to the final response sent.
    std::vector<std::chrono::nanoseconds> findAnswerTimes;
    bool cancelReceived = false;
    std::vector<MoveRequest> moves;
    std::vector<StoreRequest> stores;

    int ended() const { return released + peerAborted + otherEnd; }
};

class TestScp {
public:
    explicit TestScp(TestScpBehaviour behaviour = {});
    ~TestScp();
    TestScp(const TestScp&) = delete;
    TestScp& operator=(const TestScp&) = delete;

    int port() const;
    const std::string& aet() const;
    TestScpRecord Record() const;
    // Waits until `count` associations have ended; false on time-out.
    bool WaitForEnded(int count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

    class Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// The study UID that TestScp gives its n-th match (n from 1).
std::string TestScpStudyUID(int n);

// The data set of a DICOM file (e.g. one that storescp wrote), recorded like
// the data sets TestScp receives; no elements when it cannot be read.
WireDataset ReadDicomFile(const std::filesystem::path& file);

}  // namespace pelko::test
