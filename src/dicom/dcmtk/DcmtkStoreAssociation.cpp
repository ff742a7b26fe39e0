#include "dicom/dcmtk/DcmtkStoreAssociation.h"

#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/diutil.h"
#include "dcmtk/ofstd/ofstd.h"
#include "dicom/dcmtk/DcmtkAssociation.h"
#include "dicom/dcmtk/DcmtkDataset.h"

namespace pelko::dicom::dcmtk {

DcmtkStoreAssociation::DcmtkStoreAssociation(const AssociationParameters& params, DicomLog* log)
    : params_(params), log_(log) {}

DcmtkStoreAssociation::~DcmtkStoreAssociation() {
    Close();
}

void DcmtkStoreAssociation::Open(const std::string& sopClassUID) {
    Close();
    sopClassUID_ = sopClassUID;
    // A stored request is answered at once; the find response time-out
    // bounds the wait for it.
    auto assoc = std::make_unique<Association>(params_, params_.timeouts.findResponseSeconds, log_);
    assoc->Propose(sopClassUID,
                   {UID_LittleEndianExplicitTransferSyntax, UID_LittleEndianImplicitTransferSyntax});
    assoc->Open();
    assoc_ = std::move(assoc);
}

void DcmtkStoreAssociation::Store(const std::string& sopInstanceUID, const Dataset& dataset) {
    const std::string peerText = assoc_ ? assoc_->peer().Text() : std::string("the archive");
    const std::string operation = "C-STORE of " + sopInstanceUID + " on " + peerText;
    if (!assoc_ || !assoc_->isOpen()) {
        throw DicomError(kErrInvalidArgument, operation + " failed: no open association",
                         Cause::InvalidRequest);
    }
    if (sopClassUID_.empty() || sopInstanceUID.empty()) {
        throw DicomError(kErrInvalidArgument, operation + " failed: SOP class or instance UID missing",
                         Cause::InvalidRequest);
    }
    const T_ASC_PresentationContextID context = assoc_->ContextFor(sopClassUID_, operation);

    auto object = ToDcmDataset(dataset, operation);
    object->putAndInsertString(DCM_SOPClassUID, sopClassUID_.c_str());
    object->putAndInsertString(DCM_SOPInstanceUID, sopInstanceUID.c_str());

    T_DIMSE_C_StoreRQ request{};
    request.MessageID = assoc_->NextMessageId();
    OFStandard::strlcpy(request.AffectedSOPClassUID, sopClassUID_.c_str(),
                        sizeof request.AffectedSOPClassUID);
    OFStandard::strlcpy(request.AffectedSOPInstanceUID, sopInstanceUID.c_str(),
                        sizeof request.AffectedSOPInstanceUID);
    request.Priority = DIMSE_PRIORITY_MEDIUM;
    request.DataSetType = DIMSE_DATASET_PRESENT;
    T_DIMSE_C_StoreRSP response{};
    DcmDataset* detail = nullptr;
    const auto started = std::chrono::steady_clock::now();
    const int wait = assoc_->dimseTimeoutSeconds();
    const OFCondition cond = DIMSE_storeUser(assoc_->raw(), context, &request, nullptr, object.get(), nullptr,
                                             nullptr, DIMSE_NONBLOCKING, wait, &response, &detail);
    const std::unique_ptr<DcmDataset> statusDetail(detail);
    if (cond.bad()) {
        DicomError error = NetworkError(operation, cond, wait);
        assoc_->Log(error.what());
        if (error.cause() == Cause::Aborted) {
            error =
                DicomError(error.number(), StoreAbortedWords(peerText, params_.callingAET, error.detail()),
                           Cause::Aborted, error.detail());
        }
        assoc_.reset();  // aborts what is left of the association
        throw error;
    }
    const Uint16 status = response.DimseStatus;
    const std::string comment = ErrorComment(detail);
    assoc_->LogOperation(operation,
                         "identifier " + IdentifierText(dataset) + ", status " + StatusHex(status) + " (" +
                             DU_cstoreStatusString(status) + ")" + Said(comment),
                         started);
    if (status == STATUS_Success || DICOM_WARNING_STATUS(status)) return;
    throw StatusError(Operation::Store, status, comment);
}

void DcmtkStoreAssociation::Close() {
    if (assoc_) assoc_->Release();
    assoc_.reset();
}

}  // namespace pelko::dicom::dcmtk
