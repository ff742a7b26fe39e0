#include "dicom/dcmtk/DcmtkQueryAssociation.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/diutil.h"
#include "dicom/StatusWords.h"
#include "dicom/dcmtk/DcmtkDataset.h"
#include "dicom/dcmtk/DcmtkScu.h"

namespace pelko::dicom::dcmtk {
namespace {

using Clock = std::chrono::steady_clock;

// After the C-CANCEL the archive may still have responses on the way; they
// are read and dropped for this long before the association is aborted.
constexpr auto kCancelGrace = std::chrono::seconds(1);
constexpr int kCancelGraceSeconds = 1;

const std::vector<std::string> kTransferSyntaxes = {UID_LittleEndianExplicitTransferSyntax,
                                                    UID_LittleEndianImplicitTransferSyntax};

std::string ErrorComment(DcmDataset* statusDetail) {
    OFString comment;
    if (statusDetail != nullptr) statusDetail->findAndGetOFString(DCM_ErrorComment, comment);
    return comment.c_str();
}

// C-FIND that keeps the first `limit` matches and then cancels.
class FindScu : public Scu {
public:
    FindScu(const AssociationParameters& params, std::size_t limit)
        : Scu(params, params.timeouts.findResponseSeconds), limit_(limit) {}

    OFCondition handleFINDResponse(const T_ASC_PresentationContextID presID, QRResponse* response,
                                   OFBool& waitForNextResponse) override {
        waitForNextResponse = OFFalse;
        if (response == nullptr) return EC_Normal;
        if (!DICOM_PENDING_STATUS(response->m_status)) {
            finalStatus_ = response->m_status;
            finalComment_ = ErrorComment(response->m_statusDetail);
            return EC_Normal;
        }
        if (cancelled_) {
            // Still sending after the C-CANCEL: drop, and give up after the grace.
            if (Clock::now() - cancelledAt_ > kCancelGrace) {
                abortNeeded_ = true;
                return EC_Normal;
            }
            waitForNextResponse = OFTrue;
            return EC_Normal;
        }
        if (response->m_dataset != nullptr) results_.push_back(FromDcmDataset(*response->m_dataset));
        if (results_.Count() >= static_cast<int>(limit_)) {
            cancelled_ = true;
            cancelledAt_ = Clock::now();
            if (sendCANCELRequest(presID).bad()) {
                abortNeeded_ = true;
                return EC_Normal;
            }
            // A silent archive after the C-CANCEL ends the wait as well.
            setDIMSETimeout(kCancelGraceSeconds);
        }
        waitForNextResponse = OFTrue;
        return EC_Normal;
    }

    DatasetList results_;
    bool cancelled_ = false;
    bool abortNeeded_ = false;
    Clock::time_point cancelledAt_{};
    std::optional<Uint16> finalStatus_;
    std::string finalComment_;

private:
    std::size_t limit_;
};

}  // namespace

// C-MOVE on a kept association; remembers what the responses reported.
class MoveScu : public Scu {
public:
    explicit MoveScu(const AssociationParameters& params)
        : Scu(params, params.timeouts.moveResponseSeconds) {}

    void ResetResponses() {
        finalStatus_.reset();
        finalComment_.clear();
        failed_ = warning_ = completed_ = 0;
    }

    OFCondition handleMOVEResponse(const T_ASC_PresentationContextID, RetrieveResponse* response,
                                   OFBool& waitForNextResponse) override {
        waitForNextResponse = OFFalse;
        if (response == nullptr) return EC_Normal;
        // Some archives report the counts only in pending responses.
        failed_ = std::max(failed_, response->m_numberOfFailedSubops);
        warning_ = std::max(warning_, response->m_numberOfWarningSubops);
        completed_ = std::max(completed_, response->m_numberOfCompletedSubops);
        if (DICOM_PENDING_STATUS(response->m_status)) {
            waitForNextResponse = OFTrue;
        } else {
            finalStatus_ = response->m_status;
            finalComment_ = ErrorComment(response->m_statusDetail);
        }
        return EC_Normal;
    }

    std::optional<Uint16> finalStatus_;
    std::string finalComment_;
    Uint16 failed_ = 0, warning_ = 0, completed_ = 0;
};

DcmtkQueryAssociation::DcmtkQueryAssociation(const AssociationParameters& params) : params_(params) {}

DcmtkQueryAssociation::~DcmtkQueryAssociation() {
    if (moveScu_) moveScu_->Release();
}

DatasetList DcmtkQueryAssociation::Find(const Dataset& identifier) {
    const Peer peer{params_.calledAET, params_.host, params_.port};
    const std::string operation = "C-FIND on " + peer.Text();

    Dataset query = identifier;
    if (!query.Attributes().Contains(tags::QueryRetrieveLevel)) {
        query.Attributes().Add(tags::QueryRetrieveLevel, "STUDY");
    }
    const auto keys = ToDcmDataset(query, operation);

    FindScu scu(params_, kMaxFindResults);
    scu.Propose(kStudyRootFind, kTransferSyntaxes);
    scu.Connect();
    const T_ASC_PresentationContextID context = scu.ContextFor(kStudyRootFind, operation);
    const OFCondition cond = scu.sendFINDRequest(context, keys.get(), nullptr);

    if (scu.cancelled_ && (scu.abortNeeded_ || cond.bad() || !scu.finalStatus_)) {
        // Enough results; the archive ignored the C-CANCEL, went silent or
        // dropped the association.
        scu.Abort();
        return std::move(scu.results_);
    }
    if (cond.bad()) {
        const int wait = scu.cancelled_ ? kCancelGraceSeconds : params_.timeouts.findResponseSeconds;
        DicomError error = NetworkError(operation, cond, wait);
        scu.Abort();
        throw error;
    }
    const Uint16 status = scu.finalStatus_.value_or(STATUS_Success);
    // After the C-CANCEL the final status (normally Cancel, 0xFE00) is of no
    // concern: the results are complete.
    const bool ok = status == STATUS_Success || scu.cancelled_;
    if (!ok) {
        scu.Release();
        throw DicomError(status, StatusWords(Operation::Find, status));
    }
    scu.Release();
    return std::move(scu.results_);
}

MoveResult DcmtkQueryAssociation::Move(const std::string& studyUid, const std::string& destination,
                                       MoveObserver* /*observer: followed once the association is our own*/) {
    const Peer peer{params_.calledAET, params_.host, params_.port};
    const std::string operation = "C-MOVE of study " + studyUid + " to " + destination + " on " + peer.Text();
    // An empty UID would be universal matching: the whole archive.
    if (studyUid.empty()) throw DicomError(kErrInvalidArgument, operation + " failed: no Study Instance UID");
    if (destination.empty()) throw DicomError(kErrInvalidArgument, operation + " failed: no destination");

    Dataset query;
    query.Attributes().Add(tags::QueryRetrieveLevel, "STUDY");
    query.Attributes().Add(tags::StudyInstanceUID, studyUid);
    const auto keys = ToDcmDataset(query, operation);

    if (moveScu_ && !moveScu_->isConnected()) moveScu_.reset();
    if (!moveScu_) {
        auto scu = std::make_unique<MoveScu>(params_);
        scu->Propose(kStudyRootMove, kTransferSyntaxes);
        scu->Connect();
        moveScu_ = std::move(scu);
    }
    const T_ASC_PresentationContextID context = moveScu_->ContextFor(kStudyRootMove, operation);
    moveScu_->ResetResponses();
    const OFCondition cond = moveScu_->sendMOVERequest(context, destination.c_str(), keys.get(), nullptr);
    if (cond.bad()) {
        DicomError error = NetworkError(operation, cond, params_.timeouts.moveResponseSeconds);
        moveScu_.reset();  // aborts what is left of the association
        throw error;
    }
    MoveScu& scu = *moveScu_;
    if (!scu.finalStatus_) throw DicomError(kErrProtocol, operation + " failed: no final response");
    const Uint16 status = *scu.finalStatus_;
    MoveCounts counts;
    counts.completed = scu.completed_;
    counts.failed = scu.failed_;
    counts.warning = scu.warning_;
    if (status != STATUS_Success)
        throw DicomError(status, StatusWords(Operation::Move, status, destination, counts));
    if (scu.failed_ > 0 || scu.warning_ > 0) {
        throw DicomError(kErrSubOperationsFailed, SubOperationWords(destination, counts));
    }
    MoveResult result;
    result.counts.completed = scu.completed_;
    return result;
}

}  // namespace pelko::dicom::dcmtk
