#include "dicom/dcmtk/DcmtkQueryAssociation.h"

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
    if (studyUid.empty()) throw DicomError(kErrInvalidArgument, operation + " failed: no Study Instance UID");
    if (destination.empty()) throw DicomError(kErrInvalidArgument, operation + " failed: no destination");
    RequireAeTitle(destination, "the destination AE title", operation);

    Dataset query;
    query.Attributes().Add(tags::QueryRetrieveLevel, "STUDY");
    query.Attributes().Add(tags::StudyInstanceUID, studyUid);
    const auto keys = ToDcmDataset(query, operation);

    const int responseSeconds = params_.timeouts.moveResponseSeconds;
    if (!moveAssociation_ || !moveAssociation_->isOpen()) {
        moveAssociation_ = std::make_unique<Association>(params_, responseSeconds, log_);
        moveAssociation_->Propose(
            kStudyRootMove, {UID_LittleEndianExplicitTransferSyntax, UID_LittleEndianImplicitTransferSyntax});
        moveAssociation_->Open();
    }
    moveAssociation_->Log(operation + ": identifier " + IdentifierText(query));
    return MoveStudy(*moveAssociation_, operation, *keys, destination, observer, responseSeconds);
}

}  // namespace pelko::dicom::dcmtk
