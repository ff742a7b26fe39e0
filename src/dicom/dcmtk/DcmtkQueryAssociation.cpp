#include "dicom/dcmtk/DcmtkQueryAssociation.h"

#include <algorithm>

#include "dcmtk/dcmdata/dcuid.h"
#include "dicom/dcmtk/DcmtkAssociation.h"
#include "dicom/dcmtk/DcmtkDataset.h"
#include "dicom/dcmtk/DcmtkFind.h"
#include "dicom/dcmtk/DcmtkMove.h"
#include "log/LogText.h"

namespace pelko::dicom::dcmtk {

DcmtkQueryAssociation::DcmtkQueryAssociation(const AssociationParameters& params, DicomLog* log)
    : params_(params), log_(log) {}

DcmtkQueryAssociation::~DcmtkQueryAssociation() {
    if (moveAssociation_) moveAssociation_->Release();
}

DatasetList DcmtkQueryAssociation::Find(const Dataset& identifier, const FindObserver* observer) {
    return FindStudies(params_, identifier, log_, observer);
}

MoveResult DcmtkQueryAssociation::Move(const std::string& studyUid, const std::string& destination,
                                       MoveObserver* observer) {
    const Peer peer{params_.calledAET, params_.host, params_.port};
    const std::string operation =
        "C-MOVE of study " + LogSafe(studyUid) + " to " + LogSafe(destination) + " on " + peer.Text();
    // An empty UID would be universal matching: the whole archive.
    if (studyUid.empty())
        throw DicomError(kErrInvalidArgument, operation + " failed: no Study Instance UID",
                         Cause::InvalidRequest, "no Study Instance UID");
    if (destination.empty())
        throw DicomError(kErrInvalidArgument, operation + " failed: no destination", Cause::InvalidRequest,
                         "no destination");

    Dataset query;
    query.Attributes().Add(tags::QueryRetrieveLevel, "STUDY");
    query.Attributes().Add(tags::StudyInstanceUID, studyUid);
    return MoveKeys(query, operation, destination, observer);
}

MoveResult DcmtkQueryAssociation::MoveSeries(const std::string& studyUid,
                                             const std::vector<std::string>& seriesUids,
                                             const std::string& destination, MoveObserver* observer) {
    std::string list;
    for (const std::string& uid : seriesUids) list += (list.empty() ? "" : "\\") + uid;
    const Peer peer{params_.calledAET, params_.host, params_.port};
    const std::string operation =
        "C-MOVE of series " + list + " of study " + studyUid + " to " + destination + " on " + peer.Text();
    // An empty key would be universal matching: every series of the study,
    // or of the archive.
    const bool emptyUid =
        std::any_of(seriesUids.begin(), seriesUids.end(), [](const std::string& uid) { return uid.empty(); });
    if (studyUid.empty() || seriesUids.empty() || emptyUid) {
        throw DicomError(kErrInvalidArgument, operation + " failed: no Study or Series Instance UID",
                         Cause::InvalidRequest, "no Study or Series Instance UID");
    }

    Dataset query;
    query.Attributes().Add(tags::QueryRetrieveLevel, "SERIES");
    query.Attributes().Add(tags::StudyInstanceUID, studyUid);
    query.Attributes().Add(tags::SeriesInstanceUID, list);
    return MoveKeys(query, operation, destination, observer);
}

MoveResult DcmtkQueryAssociation::MoveKeys(const Dataset& query, const std::string& operation,
                                           const std::string& destination, MoveObserver* observer) {
    if (destination.empty())
        throw DicomError(kErrInvalidArgument, operation + " failed: no destination", Cause::InvalidRequest,
                         "no destination");
    RequireAeTitle(destination, "the destination AE title", operation);
    const auto keys = ToDcmDataset(query, operation);

    const int responseSeconds = params_.timeouts.moveResponseSeconds;
    if (!moveAssociation_ || !moveAssociation_->isOpen()) {
        moveAssociation_ = std::make_unique<Association>(params_, responseSeconds, log_);
        moveAssociation_->Propose(
            kStudyRootMove, {UID_LittleEndianExplicitTransferSyntax, UID_LittleEndianImplicitTransferSyntax});
        moveAssociation_->Open();
    }
    moveAssociation_->Log(operation + ": identifier " + IdentifierText(query));
    return MoveStudy(*moveAssociation_, operation, *keys, destination, observer, responseSeconds,
                     params_.timeouts.moveCancelGraceSeconds);
}

}  // namespace pelko::dicom::dcmtk
