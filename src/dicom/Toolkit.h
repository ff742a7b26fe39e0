// The DICOM toolkit as the program uses it: C-FIND and C-MOVE towards the
// archive, C-STORE of redirect requests, C-ECHO, data sets and UIDs.
//
// Nothing here depends on a DICOM library. The adapter (src/dicom/dcmtk)
// implements the abstract classes on DCMTK; tests use fakes. All texts are
// UTF-8; the adapter converts to and from the Specific Character Set on the
// wire.
#pragma once

#include <chrono>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "dicom/AssociationParameters.h"
#include "log/Error.h"
#include "log/ErrorNumbers.h"

namespace pelko::dicom {

struct Tag {
    std::uint16_t group = 0;
    std::uint16_t element = 0;
    auto operator<=>(const Tag&) const = default;
};

namespace tags {
inline constexpr Tag StudyDate{0x0008, 0x0020};
inline constexpr Tag SeriesDate{0x0008, 0x0021};
inline constexpr Tag StudyTime{0x0008, 0x0030};
inline constexpr Tag SeriesTime{0x0008, 0x0031};
inline constexpr Tag AccessionNumber{0x0008, 0x0050};
inline constexpr Tag QueryRetrieveLevel{0x0008, 0x0052};
inline constexpr Tag Modality{0x0008, 0x0060};
inline constexpr Tag ModalitiesInStudy{0x0008, 0x0061};
inline constexpr Tag StudyDescription{0x0008, 0x1030};
inline constexpr Tag SeriesDescription{0x0008, 0x103E};
inline constexpr Tag PatientName{0x0010, 0x0010};
inline constexpr Tag PatientID{0x0010, 0x0020};
inline constexpr Tag PatientBirthDate{0x0010, 0x0030};
inline constexpr Tag PatientSex{0x0010, 0x0040};
inline constexpr Tag BodyPartExamined{0x0018, 0x0015};
inline constexpr Tag StudyInstanceUID{0x0020, 0x000D};
inline constexpr Tag SeriesInstanceUID{0x0020, 0x000E};
inline constexpr Tag SeriesNumber{0x0020, 0x0011};
inline constexpr Tag NumberOfSeriesRelatedInstances{0x0020, 0x1209};
// The archive's private attributes (group 0019).
inline constexpr Tag RedirectMarker{0x0019, 0x0010};
inline constexpr Tag RegisteredDate{0x0019, 0x0020};
inline constexpr Tag RedirectStudyUID{0x0019, 0x0030};
}  // namespace tags

// Find never takes more than this many pending responses (with an
// identifier or without one): after the last one the query is cancelled.
inline constexpr int kMaxFindResults = 400;

// What kind of failure a DicomError is. The adapter sets it where it knows
// the cause; callers choose their words from it, never from the description.
enum class Cause {
    Unspecified,
    NoConnection,           // the TCP connection was refused or the host unreachable
    RefusedAssociation,     // A-ASSOCIATE-RJ for another reason than the two below
    UnknownCalledAeTitle,   // A-ASSOCIATE-RJ: called AE title not recognized
    UnknownCallingAeTitle,  // A-ASSOCIATE-RJ: calling AE title not recognized
    NoAnswer,               // connected, then no answer within the wait
    NoTlsAnswer,            // connected, then no answer to the TLS handshake
    Aborted,                // A-ABORT by the peer, or the connection dropped
    NoPresentationContext,  // the peer accepted no presentation context we need
    TlsHandshake,           // the TLS handshake failed
    TlsSettings,            // the TLS files of the settings cannot be used
    DimseStatus,            // a final DIMSE status that is no success (the number)
    SubOperations,          // a move with failed or warning sub-operations
    InvalidRequest,         // the request or the settings lack a value
    Protocol,               // an unexpected response
    Module,                 // the DICOM module could not be loaded
};

// The largest command and the largest data set of a response that the
// adapter reads; a larger response fails the operation.
inline constexpr std::size_t kMaxResponsePartBytes = 64 * 1024;

// A failure of a toolkit operation. The description names the operation, the
// peer AE title and what went wrong; the detail is the technical cause alone
// (the reject reason, OpenSSL's reason, the missing value), or "".
class DicomError : public Error {
public:
    DicomError(std::int32_t number, const std::string& description, Cause cause = Cause::Unspecified,
               std::string detail = {})
        : Error(number, description), cause_(cause), detail_(std::move(detail)) {}
    Cause cause() const { return cause_; }
    const std::string& detail() const { return detail_; }

private:
    Cause cause_;
    std::string detail_;
};

struct Attribute {
    Tag tag;
    std::string value;
};

// Attributes in insertion order; adding a tag that is present replaces its
// value in place.
class AttributeList {
public:
    void Add(std::uint16_t group, std::uint16_t element, std::string value);
    void Add(Tag tag, std::string value) { Add(tag.group, tag.element, std::move(value)); }
    // The value, or "" when the attribute is absent.
    std::string Item(std::uint16_t group, std::uint16_t element) const;
    std::string Item(Tag tag) const { return Item(tag.group, tag.element); }
    bool Contains(Tag tag) const;
    const std::vector<Attribute>& items() const { return items_; }
    std::size_t size() const { return items_.size(); }

private:
    std::vector<Attribute> items_;
};

class Dataset {
public:
    AttributeList& Attributes() { return attributes_; }
    const AttributeList& Attributes() const { return attributes_; }

    std::string PatientName() const { return attributes_.Item(tags::PatientName); }
    std::string PatientID() const { return attributes_.Item(tags::PatientID); }
    std::string PatientSex() const { return attributes_.Item(tags::PatientSex); }
    std::string PatientBirthDate() const { return attributes_.Item(tags::PatientBirthDate); }
    std::string StudyDescription() const { return attributes_.Item(tags::StudyDescription); }
    std::string AccessionNumber() const { return attributes_.Item(tags::AccessionNumber); }
    std::string StudyInstanceUID() const { return attributes_.Item(tags::StudyInstanceUID); }

    void setPatientName(std::string v) { attributes_.Add(tags::PatientName, std::move(v)); }
    void setPatientID(std::string v) { attributes_.Add(tags::PatientID, std::move(v)); }
    void setPatientSex(std::string v) { attributes_.Add(tags::PatientSex, std::move(v)); }
    void setPatientBirthDate(std::string v) { attributes_.Add(tags::PatientBirthDate, std::move(v)); }
    void setStudyDescription(std::string v) { attributes_.Add(tags::StudyDescription, std::move(v)); }
    void setAccessionNumber(std::string v) { attributes_.Add(tags::AccessionNumber, std::move(v)); }
    void setStudyInstanceUID(std::string v) { attributes_.Add(tags::StudyInstanceUID, std::move(v)); }

private:
    AttributeList attributes_;
};

class DatasetList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    void Clear() {
        items_.clear();
        cut_ = false;
    }
    // The archive had more to send than Find took: the list is not the
    // whole answer (kMaxFindResults pending responses, or a cancel).
    bool cut() const { return cut_; }
    void setCut() { cut_ = true; }
    void push_back(Dataset d) { items_.push_back(std::move(d)); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    const Dataset& operator[](std::size_t i) const { return items_[i]; }

private:
    std::vector<Dataset> items_;
    bool cut_ = false;
};

// Follows one C-FIND; called on the thread that runs it.
class FindObserver {
public:
    virtual ~FindObserver() = default;
    // Asked at least every 200 ms while the find waits for the archive.
    // Once it answers true, a C-CANCEL goes out (once) and Find returns what
    // it has, marked cut.
    virtual bool CancelRequested() const = 0;
};

// The sub-operation counts of a C-MOVE response (PS3.4 C.4.2.1.4.2). An
// archive may leave any of them out; Remaining is absent then, the others
// count as 0.
struct MoveCounts {
    std::optional<int> remaining;
    int completed = 0;
    int failed = 0;
    int warning = 0;
    bool operator==(const MoveCounts&) const = default;
};

// Follows one C-MOVE. Its members are called on the thread that runs the
// move (with PumpingToolkit, a worker thread): implementations must be
// thread-safe.
class MoveObserver {
public:
    virtual ~MoveObserver() = default;
    // Each pending response, in the order received.
    virtual void Pending(const MoveCounts& counts) = 0;
    // Asked at least every 200 ms while the move waits for the archive. Once
    // it answers true, a C-CANCEL with the move's Message ID goes out (once).
    virtual bool CancelRequested() const = 0;
};

// What a C-MOVE ended with when it did not fail.
struct MoveResult {
    enum class Cancel {
        None,         // not cancelled: the move finished
        Confirmed,    // cancelled; the archive sent its final response in the grace period
        Unconfirmed,  // cancelled; no final response in the grace period: association aborted
    };
    // The final response's counts, or the last pending ones when the final
    // response has none (never lower than any count received).
    MoveCounts counts;
    Cancel cancel = Cancel::None;
    // The final response's own counts when it reported all three of
    // Completed, Failed and Warning; nullopt when it left one out.
    std::optional<MoveCounts> finalCounts = std::nullopt;
    bool operator==(const MoveResult&) const = default;
};

// C-FIND and C-MOVE client towards the archive (Study Root), on the
// parameters it was made with.
class QueryAssociation {
public:
    // Releases the association when one is open.
    virtual ~QueryAssociation() = default;

    // C-FIND with `identifier` at its Query/Retrieve Level ("STUDY" added
    // when absent; "SERIES" with the Study Instance UID lists a study's
    // series, PS3.4 C.6.2); at most kMaxFindResults results, one
    // association per call; bounded in all by Timeouts::searchSeconds.
    // `observer`, when given, may cancel. Throws DicomError.
    virtual DatasetList Find(const Dataset& identifier, const FindObserver* observer = nullptr) = 0;
    // Study-level C-MOVE of `studyUid` to the AE title `destination`. The
    // association is opened on first use and kept for further moves. Throws
    // DicomError on any failure, including failed or warning sub-operations,
    // unless the move was cancelled: a cancelled move returns its result
    // (Cancel::Confirmed or Cancel::Unconfirmed) whatever the final status.
    // `observer`, when given, follows the pending responses and may cancel.
    virtual MoveResult Move(const std::string& studyUid, const std::string& destination,
                            MoveObserver* observer = nullptr) = 0;
    // Series-level C-MOVE (PS3.4 C.4.2.2.1): the series `seriesUids` of
    // study `studyUid`, several as one list of UIDs in one request, to
    // `destination`; on the association of Move and otherwise as Move. Throws
    // DicomError (kErrInvalidArgument) without sending anything when a UID
    // is empty or no series is given.
    virtual MoveResult MoveSeries(const std::string& studyUid, const std::vector<std::string>& seriesUids,
                                  const std::string& destination, MoveObserver* observer = nullptr) = 0;
};

// C-STORE client towards the archive, for one SOP class.
class StoreAssociation {
public:
    // Releases the association when one is open.
    virtual ~StoreAssociation() = default;
    // Opens the association, proposing `sopClassUID`. Throws DicomError.
    virtual void Open(const std::string& sopClassUID) = 0;
    // Sends `dataset` as instance `sopInstanceUID` of the class given to
    // Open. A warning status counts as stored. Throws DicomError.
    virtual void Store(const std::string& sopInstanceUID, const Dataset& dataset) = 0;
    // Releases the association.
    virtual void Close() = 0;
};

// The answer of a C-ECHO (Verification, PS3.4 A.4): how long the archive
// took.
struct EchoResult {
    // From the C-ECHO request to its response.
    std::chrono::microseconds roundTrip{};
    // Everything: connection, TLS handshake, association, C-ECHO, release.
    std::chrono::microseconds total{};
};

class UidGenerator {
public:
    virtual ~UidGenerator() = default;
    virtual std::string NewUID() = 0;
};

// Creates the toolkit's objects.
class Toolkit {
public:
    virtual ~Toolkit() = default;
    virtual std::unique_ptr<QueryAssociation> newQueryAssociation(const AssociationParameters& peer) = 0;
    virtual std::unique_ptr<StoreAssociation> newStoreAssociation(const AssociationParameters& peer) = 0;
    virtual std::unique_ptr<UidGenerator> newUidGenerator() = 0;
    // One association with the Verification SOP Class, one C-ECHO, release.
    // Throws DicomError: no connection, rejected (with the reason, e.g.
    // "called AE title not recognized"), time-out, aborted, TLS settings or
    // handshake.
    virtual EchoResult Echo(const AssociationParameters& peer) = 0;
};

// A UID of the form 2.25.<UUID as decimal> (PS3.5 B.2), from a random
// version 4 UUID.
std::string NewUuidDerivedUid();

}  // namespace pelko::dicom
