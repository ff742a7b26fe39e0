// The DICOM toolkit as the program uses it: C-FIND and C-MOVE towards the
// archive, C-STORE of redirect requests, data sets and UIDs.
//
// Nothing here depends on a DICOM library. The adapter (src/dicom/dcmtk)
// implements the abstract classes on DCMTK; tests use fakes. All texts are
// UTF-8; the adapter converts to and from the Specific Character Set on the
// wire.
#pragma once

#include <compare>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "log/Error.h"

namespace pelko::dicom {

struct Tag {
    std::uint16_t group = 0;
    std::uint16_t element = 0;
    auto operator<=>(const Tag&) const = default;
};

namespace tags {
inline constexpr Tag StudyDate{0x0008, 0x0020};
inline constexpr Tag StudyTime{0x0008, 0x0030};
inline constexpr Tag AccessionNumber{0x0008, 0x0050};
inline constexpr Tag QueryRetrieveLevel{0x0008, 0x0052};
inline constexpr Tag Modality{0x0008, 0x0060};
inline constexpr Tag StudyDescription{0x0008, 0x1030};
inline constexpr Tag PatientName{0x0010, 0x0010};
inline constexpr Tag PatientID{0x0010, 0x0020};
inline constexpr Tag PatientBirthDate{0x0010, 0x0030};
inline constexpr Tag PatientSex{0x0010, 0x0040};
inline constexpr Tag StudyInstanceUID{0x0020, 0x000D};
// The archive's private attributes (group 0019).
inline constexpr Tag RedirectMarker{0x0019, 0x0010};
inline constexpr Tag RegisteredDate{0x0019, 0x0020};
inline constexpr Tag RedirectStudyUID{0x0019, 0x0030};
}  // namespace tags

// Bounded waits of every network operation, in seconds.
inline constexpr int kConnectTimeoutSeconds = 10;
inline constexpr int kAssociationTimeoutSeconds = 30;
inline constexpr int kFindResponseTimeoutSeconds = 60;
inline constexpr int kMoveResponseTimeoutSeconds = 600;  // inactivity between responses

// Find never returns more than this many results: after the last one the
// query is cancelled.
inline constexpr int kMaxFindResults = 400;

struct Timeouts {
    int connectSeconds = kConnectTimeoutSeconds;
    int associationSeconds = kAssociationTimeoutSeconds;
    int findResponseSeconds = kFindResponseTimeoutSeconds;
    int moveResponseSeconds = kMoveResponseTimeoutSeconds;
};

// Error numbers of failures that carry no DIMSE status. A failed DIMSE status
// is reported with the status code itself as its number (e.g. 0xA700 = 42752).
enum ErrorNumber : std::int32_t {
    kErrNoConnection = 1001,       // TCP connection refused or unreachable host
    kErrAssociationRejected = 1002,
    kErrTimeout = 1003,
    kErrAssociationAborted = 1004,  // peer aborted or dropped the connection
    kErrNoPresentationContext = 1005,
    kErrProtocol = 1006,            // any other network/DIMSE failure
    kErrSubOperationsFailed = 1007, // C-MOVE reported failed or warning sub-operations
    kErrInvalidArgument = 1008,
};

// A failure of a toolkit operation. The description names the operation, the
// peer AE title and what went wrong.
class DicomError : public Error {
public:
    using Error::Error;
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
    void Clear() { items_.clear(); }
    void push_back(Dataset d) { items_.push_back(std::move(d)); }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }
    const Dataset& operator[](std::size_t i) const { return items_[i]; }

private:
    std::vector<Dataset> items_;
};

// C-FIND and C-MOVE client towards the archive (Study Root).
class QueryAssociation {
public:
    virtual ~QueryAssociation() = default;

    void setPort(std::int32_t v) { port_ = v; }
    void setHost(std::string v) { host_ = std::move(v); }
    void setCalledAET(std::string v) { calledAET_ = std::move(v); }
    void setCallingAET(std::string v) { callingAET_ = std::move(v); }
    void setRoot(std::string v) { root_ = std::move(v); }
    void setLevel(std::string v) { level_ = std::move(v); }
    void setMoveDestination(std::string v) { moveDestination_ = std::move(v); }
    void setStudyUID(std::string v) { studyUID_ = std::move(v); }

    std::int32_t port() const { return port_; }
    const std::string& host() const { return host_; }
    const std::string& calledAET() const { return calledAET_; }
    const std::string& callingAET() const { return callingAET_; }
    const std::string& root() const { return root_; }
    const std::string& level() const { return level_; }
    const std::string& moveDestination() const { return moveDestination_; }
    const std::string& studyUID() const { return studyUID_; }

    // An empty study-level identifier carrying Study Instance UID, Study
    // Time and Modality as return keys.
    Dataset& Request() { return request_; }

    // Study-level C-FIND; at most kMaxFindResults results. Throws DicomError.
    virtual DatasetList Find(const Dataset& identifier) = 0;
    // Study-level C-MOVE of studyUID() to moveDestination(). The association
    // is opened on first use and kept for further moves. Throws DicomError
    // on any failure, including failed or warning sub-operations.
    virtual void Move() = 0;

protected:
    QueryAssociation();

private:
    std::int32_t port_ = 0;
    std::string host_, calledAET_, callingAET_, root_, level_, moveDestination_, studyUID_;
    Dataset request_;
};

// C-STORE client towards the archive.
class StoreAssociation {
public:
    virtual ~StoreAssociation() = default;
    virtual void Open(const std::string& host, std::int32_t port, const std::string& callingAET,
                      const std::string& calledAET) = 0;
    virtual void Store(const std::string& sopClassUID, const std::string& sopInstanceUID,
                       std::int16_t priority, const Dataset& dataset) = 0;
    virtual void Close() = 0;
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
    virtual std::unique_ptr<QueryAssociation> newQueryAssociation() = 0;
    virtual std::unique_ptr<StoreAssociation> newStoreAssociation() = 0;
    virtual std::unique_ptr<UidGenerator> newUidGenerator() = 0;
};

// A UID of the form 2.25.<UUID as decimal> (PS3.5 B.2), from a random
// version 4 UUID.
std::string NewUuidDerivedUid();

}  // namespace pelko::dicom
