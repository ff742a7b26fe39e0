#include "dicom/dcmtk/DcmtkStoreAssociation.h"

#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/diutil.h"
#include "dicom/StatusWords.h"
#include "dicom/dcmtk/DcmtkDataset.h"
#include "dicom/dcmtk/DcmtkScu.h"

namespace pelko::dicom::dcmtk {

DcmtkStoreAssociation::DcmtkStoreAssociation(const AssociationParameters& params) : params_(params) {}

DcmtkStoreAssociation::~DcmtkStoreAssociation() {
    if (scu_) scu_->Release();
}

void DcmtkStoreAssociation::Open(const std::string& sopClassUID) {
    if (scu_) scu_->Release();
    scu_.reset();
    sopClassUID_ = sopClassUID;
    // A stored request is answered at once; the find response time-out
    // bounds the wait for it.
    auto scu = std::make_unique<Scu>(params_, params_.timeouts.findResponseSeconds);
    scu->Propose(sopClassUID, {UID_LittleEndianExplicitTransferSyntax});
    scu->Propose(sopClassUID, {UID_LittleEndianImplicitTransferSyntax});
    scu->Connect();
    scu_ = std::move(scu);
}

void DcmtkStoreAssociation::Store(const std::string& sopInstanceUID, const Dataset& dataset) {
    const std::string& sopClassUID = sopClassUID_;
    const std::string peerText = scu_ ? scu_->peer().Text() : std::string("the archive");
    const std::string operation = "C-STORE of " + sopInstanceUID + " on " + peerText;
    if (!scu_ || !scu_->isConnected()) {
        throw DicomError(kErrInvalidArgument, operation + " failed: no open association");
    }
    if (sopClassUID.empty() || sopInstanceUID.empty()) {
        throw DicomError(kErrInvalidArgument, operation + " failed: SOP class or instance UID missing");
    }
    const T_ASC_PresentationContextID context = scu_->ContextFor(sopClassUID, operation);

    auto object = ToDcmDataset(dataset, operation);
    object->putAndInsertString(DCM_SOPClassUID, sopClassUID.c_str());
    object->putAndInsertString(DCM_SOPInstanceUID, sopInstanceUID.c_str());

    Uint16 status = 0;
    const OFCondition cond = scu_->sendSTORERequest(context, "", object.get(), status);
    if (cond.bad()) {
        DicomError error = NetworkError(operation, cond, scu_->dimseTimeoutSeconds());
        scu_.reset();  // aborts what is left of the association
        throw error;
    }
    if (status == STATUS_Success || DICOM_WARNING_STATUS(status)) return;
    throw DicomError(status, StatusWords(Operation::Store, status));
}

void DcmtkStoreAssociation::Close() {
    if (scu_) scu_->Release();
    scu_.reset();
}

}  // namespace pelko::dicom::dcmtk
