#include "peers/TestScp.h"

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcfilefo.h"
#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/assoc.h"
#include "dcmtk/dcmnet/dcmlayer.h"
#include "dcmtk/dcmnet/scp.h"
#include "log/Latin1.h"
#include "peers/Ports.h"
#include "peers/TestSockets.h"

namespace pelko::test {
namespace {

// DCMTK's plain TCP layer; notes the socket of the connection it accepted
// last (DcmSCP serves one association at a time), for the silent mode.
class RecordingLayer : public DcmTransportLayer {
public:
    DcmTransportConnection* createConnection(DcmNativeSocketType openSocket, OFBool useSecureLayer) override {
        socket_ = static_cast<SocketHandle>(openSocket);
        return DcmTransportLayer::createConnection(openSocket, useSecureLayer);
    }
    SocketHandle socket() const { return socket_; }

private:
    std::atomic<SocketHandle> socket_{kNoSocket};
};

using dicom::Tag;

std::string StripPadding(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.pop_back();
    return s;
}

// Decoding of the recorded values, kept independent of the adapter's.
std::string DecodeForRecord(const std::string& bytes, const std::string& charset) {
    if (charset == "ISO_IR 100") return Latin1ToUtf8(bytes);
    return bytes;
}

WireDataset ToWire(DcmDataset& dataset, const std::string& transferSyntax) {
    WireDataset wire;
    wire.transferSyntax = transferSyntax;
    OFString charset;
    dataset.findAndGetOFStringArray(DCM_SpecificCharacterSet, charset);
    const std::string cs = StripPadding(charset.c_str());
    for (unsigned long i = 0; i < dataset.card(); ++i) {
        DcmElement* element = dataset.getElement(i);
        const DcmTagKey key = element->getTag().getXTag();
        WireElement w;
        w.tag = Tag{key.getGroup(), key.getElement()};
        const DcmVR vr(element->ident());
        w.vr = vr.getVRName();
        if (vr.isaString()) {
            char* p = nullptr;
            Uint32 len = 0;
            if (element->getString(p, len).good() && p != nullptr) w.raw.assign(p, len);
        } else if (element->ident() == EVR_UN || element->ident() == EVR_OB) {
            Uint8* p = nullptr;
            if (element->getLength() > 0 && element->getUint8Array(p).good() && p != nullptr) {
                w.raw.assign(reinterpret_cast<const char*>(p), element->getLength());
            }
        } else if (element->isLeaf()) {
            OFString s;
            element->getOFStringArray(s);
            w.raw = s.c_str();
        }
        w.value = StripPadding(w.raw);
        w.text = DecodeForRecord(w.value, cs);
        wire.elements.push_back(std::move(w));
    }
    return wire;
}

void PutRaw(DcmDataset& dataset, const Tag& t, const std::string& bytes) {
    DcmTag tag(t.group, t.element);
    if ((t.group & 1u) != 0 || tag.getEVR() == EVR_UNKNOWN || tag.getEVR() == EVR_UN)
        tag.setVR(DcmVR(EVR_LO));
    DcmElement* element = nullptr;
    if (DcmItem::newDicomElementWithVR(element, tag).bad()) return;
    element->putString(bytes.c_str(), static_cast<Uint32>(bytes.size()));
    dataset.insert(element, OFTrue);
}

}  // namespace

std::string TestScpStudyUID(int n) {
    return "1.2.826.0.1.3680043.9.7311." + std::to_string(n);
}

WireDataset ReadDicomFile(const std::filesystem::path& file) {
    DcmFileFormat format;
    if (format.loadFile(file.string().c_str()).bad()) return {};
    OFString ts;
    format.getMetaInfo()->findAndGetOFString(DCM_TransferSyntaxUID, ts);
    return ToWire(*format.getDataset(), ts.c_str());
}

const WireElement* WireDataset::Find(Tag tag) const {
    for (const auto& e : elements) {
        if (e.tag == tag) return &e;
    }
    return nullptr;
}

class TestScp::Impl : public DcmSCP {
public:
    explicit Impl(TestScpBehaviour behaviour) : behaviour_(std::move(behaviour)) {
#ifdef SIGPIPE
        std::signal(SIGPIPE, SIG_IGN);
#endif
        port_ = FreePort();
        setPort(static_cast<Uint16>(port_));
        setAETitle(behaviour_.aet.c_str());
        // Non-blocking accept with a short time-out, so that a stop request
        // is seen even when no one connects.
        setConnectionBlockingMode(DUL_NOBLOCK);
        setConnectionTimeout(1);
        setDIMSEBlockingMode(DIMSE_NONBLOCKING);
        setDIMSETimeout(10);
        setACSETimeout(10);
        setHostLookupEnabled(OFFalse);
        OFList<OFString> syntaxes;
        syntaxes.push_back(UID_LittleEndianExplicitTransferSyntax);
        syntaxes.push_back(UID_LittleEndianImplicitTransferSyntax);
        for (const char* sop :
             {UID_VerificationSOPClass, UID_FINDStudyRootQueryRetrieveInformationModel,
              UID_MOVEStudyRootQueryRetrieveInformationModel, UID_ComputedRadiographyImageStorage}) {
            addPresentationContext(sop, syntaxes);
        }
        const OFCondition cond = openListenPort();
        if (cond.bad()) throw std::runtime_error(std::string("TestScp: cannot listen: ") + cond.text());
        thread_ = std::thread([this] { acceptAssociations(); });
    }

    ~Impl() override {
        stop_ = true;
        // Wake the accept loop at once instead of after its time-out.
        const SocketHandle fd = NewTcpSocket();
        ConnectLoopback(fd, port_);
        CloseSocket(fd);
        if (thread_.joinable()) thread_.join();
    }

    int port_ = 0;
    TestScpBehaviour behaviour_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    TestScpRecord record_;

protected:
    OFBool stopAfterCurrentAssociation() override {
        return stop_.load();
    }
    OFBool stopAfterConnectionTimeout() override {
        return stop_.load();
    }

    OFCondition waitForAssociationRQ(T_ASC_Network* network) override {
        // Our layer in place of DCMTK's, before the first connection.
        if (!layerSet_) layerSet_ = ASC_setTransportLayer(network, &layer_, 0 /* ours */).good();
        return DcmSCP::waitForAssociationRQ(network);
    }

    OFBool checkCalledAETitleAccepted(const OFString& calledAE) override {
        return !behaviour_.refuseAssociation && calledAE == behaviour_.aet.c_str();
    }

    void notifyAssociationAcknowledge() override {
        Update([](TestScpRecord& r) { ++r.associations; });
    }
    void notifyReleaseRequest() override {
        ending_ = Ending::kReleased;
    }
    void notifyAbortRequest() override {
        ending_ = Ending::kPeerAborted;
    }
    void notifyDIMSEError(const OFCondition&) override {
        ending_ = Ending::kOther;
    }
    void notifyAssociationTermination() override {
        const Ending how = ending_;
        ending_ = Ending::kNone;
        if (how == Ending::kNone) return;  // refused or never acknowledged
        Update([how](TestScpRecord& r) {
            if (how == Ending::kReleased) ++r.released;
            if (how == Ending::kPeerAborted) ++r.peerAborted;
            if (how == Ending::kOther) ++r.otherEnd;
        });
    }

    OFCondition handleIncomingCommand(T_DIMSE_Message* msg, const DcmPresentationContextInfo& info) override {
        switch (msg->CommandField) {
            case DIMSE_C_FIND_RQ:
                return HandleFind(msg->msg.CFindRQ, info);
            case DIMSE_C_MOVE_RQ:
                return HandleMove(msg->msg.CMoveRQ, info);
            case DIMSE_C_STORE_RQ:
                return HandleStore(msg->msg.CStoreRQ, info);
            default:
                return DcmSCP::handleIncomingCommand(msg, info);
        }
    }

private:
    enum class Ending { kNone, kReleased, kPeerAborted, kOther };

    template <typename F>
    void Update(F f) {
        {
            std::lock_guard lock(mutex_);
            f(record_);
        }
        changed_.notify_all();
    }

    // Sleeps `total` in small steps; false when the test is stopping.
    bool Pause(std::chrono::milliseconds total) {
        const auto end = std::chrono::steady_clock::now() + total;
        while (std::chrono::steady_clock::now() < end) {
            if (stop_) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    // Neither answers nor reads any more, like an archive that hangs; only
    // watches for the client to close the connection (or the test to end).
    OFCondition StaySilent() {
        while (!stop_) {
            if (PeerHungUp(layer_.socket(), 10)) {
                ending_ = Ending::kOther;
                break;
            }
        }
        return DIMSE_ILLEGALASSOCIATION;
    }

    DcmDataset Answer(int n) const {
        DcmDataset ds;
        if (!behaviour_.answerCharset.empty()) {
            ds.putAndInsertString(DCM_SpecificCharacterSet, behaviour_.answerCharset.c_str());
        }
        char date[16];
        std::snprintf(date, sizeof date, "2024%02d%02d", 1 + (n / 28) % 12, 1 + n % 28);
        ds.putAndInsertString(DCM_QueryRetrieveLevel, "STUDY");
        ds.putAndInsertString(DCM_StudyDate, date);
        ds.putAndInsertString(DCM_StudyTime, "101500");
        ds.putAndInsertString(DCM_AccessionNumber, ("ACC" + std::to_string(n)).c_str());
        ds.putAndInsertString(DCM_Modality, "CT");
        ds.putAndInsertString(DCM_StudyDescription, "Chest");
        PutRaw(ds, {0x0010, 0x0010}, behaviour_.answerPatientName);
        ds.putAndInsertString(DCM_PatientID, ("PID" + std::to_string(n)).c_str());
        ds.putAndInsertString(DCM_PatientBirthDate, "19700101");
        ds.putAndInsertString(DCM_PatientSex, "F");
        ds.putAndInsertString(DCM_StudyInstanceUID, TestScpStudyUID(n).c_str());
        for (const auto& a : behaviour_.answerExtra) PutRaw(ds, a.tag, a.value);
        return ds;
    }

    std::string TransferSyntaxOf(T_ASC_PresentationContextID id) {
        OFString as, ts;
        findPresentationContext(id, as, ts);
        return ts.c_str();
    }

    OFCondition HandleFind(T_DIMSE_C_FindRQ& rq, const DcmPresentationContextInfo& info) {
        const T_ASC_PresentationContextID id = info.presentationContextID;
        DcmDataset* identifier = nullptr;
        OFCondition cond = receiveFINDRequest(rq, id, identifier);
        if (cond.bad()) return cond;
        WireDataset wire = ToWire(*identifier, TransferSyntaxOf(id));
        delete identifier;
        Update([&](TestScpRecord& r) { r.findIdentifiers.push_back(std::move(wire)); });
        const auto started = std::chrono::steady_clock::now();

        if (behaviour_.neverAnswer) return StaySilent();

        bool cancelSeen = false;
        for (int n = 1; n <= behaviour_.matches; ++n) {
            if (behaviour_.answerDelay.count() > 0 && !Pause(behaviour_.answerDelay)) {
                return DIMSE_ILLEGALASSOCIATION;
            }
            if (behaviour_.abortAfter >= 0 && n > behaviour_.abortAfter) {
                abortAssociation();
                return DIMSE_ILLEGALASSOCIATION;
            }
            cond = checkForCANCEL(id, rq.MessageID);
            if (cond.good()) {
                if (!cancelSeen) Update([](TestScpRecord& r) { r.cancelReceived = true; });
                cancelSeen = true;
                if (behaviour_.cancel == CancelMode::kHonour) {
                    return Answered(
                        started, sendFINDResponse(id, rq.MessageID, rq.AffectedSOPClassUID, nullptr,
                                                  STATUS_FIND_Cancel_MatchingTerminatedDueToCancelRequest));
                }
            } else if (cond != DIMSE_NODATAAVAILABLE) {
                return cond;  // the client is gone
            }
            DcmDataset answer = Answer(n);
            cond = sendFINDResponse(id, rq.MessageID, rq.AffectedSOPClassUID, &answer, STATUS_Pending);
            if (cond.bad()) return cond;
            Update([](TestScpRecord& r) { ++r.findResponsesSent; });
        }
        if (behaviour_.abortAfter >= 0 && behaviour_.abortAfter >= behaviour_.matches) {
            abortAssociation();
            return DIMSE_ILLEGALASSOCIATION;
        }
        return Answered(started, sendFINDResponse(id, rq.MessageID, rq.AffectedSOPClassUID, nullptr,
                                                  behaviour_.findStatus));
    }

    OFCondition Answered(std::chrono::steady_clock::time_point started, OFCondition cond) {
        const auto took = std::chrono::steady_clock::now() - started;
        Update([&](TestScpRecord& r) { r.findAnswerTimes.push_back(took); });
        return cond;
    }

    OFCondition HandleMove(T_DIMSE_C_MoveRQ& rq, const DcmPresentationContextInfo& info) {
        const T_ASC_PresentationContextID id = info.presentationContextID;
        DcmDataset* identifier = nullptr;
        OFString destination;
        OFCondition cond = receiveMOVERequest(rq, id, identifier, destination);
        if (cond.bad()) return cond;
        MoveRequest move;
        move.destination = destination.c_str();
        OFString value;
        identifier->findAndGetOFString(DCM_QueryRetrieveLevel, value);
        move.level = value.c_str();
        identifier->findAndGetOFString(DCM_StudyInstanceUID, value);
        move.studyUID = value.c_str();
        delete identifier;
        Update([&](TestScpRecord& r) { r.moves.push_back(move); });
        if (behaviour_.neverAnswer) return StaySilent();
        if (behaviour_.movePending > 0) return MoveSlowly(rq, id);

        const Uint16 total =
            static_cast<Uint16>(behaviour_.moveCompleted + behaviour_.moveFailed + behaviour_.moveWarning);
        if (total > 0) {
            cond = sendMOVEResponse(id, rq.MessageID, rq.AffectedSOPClassUID, nullptr, STATUS_Pending,
                                    nullptr, total, 0, 0, 0);
            if (cond.bad()) return cond;
        }
        DcmDataset* detail = nullptr;
        DcmDataset statusDetail;
        if (!behaviour_.moveErrorComment.empty()) {
            statusDetail.putAndInsertString(DCM_ErrorComment, behaviour_.moveErrorComment.c_str());
            detail = &statusDetail;
        }
        return sendMOVEResponse(id, rq.MessageID, rq.AffectedSOPClassUID, nullptr, behaviour_.moveStatus,
                                detail, 0, behaviour_.moveCompleted, behaviour_.moveFailed,
                                behaviour_.moveWarning);
    }

    // One pending response per image, `answerDelay` apart; a C-CANCEL
    // honoured ends with 0xFE00 and the counts so far.
    OFCondition MoveSlowly(const T_DIMSE_C_MoveRQ& rq, T_ASC_PresentationContextID id) {
        const auto total = static_cast<Uint16>(behaviour_.movePending);
        for (Uint16 n = 1; n <= total; ++n) {
            if (!Pause(behaviour_.answerDelay)) return DIMSE_ILLEGALASSOCIATION;
            OFCondition cond = checkForCANCEL(id, rq.MessageID);
            if (cond.good()) {
                Update([](TestScpRecord& r) { r.cancelReceived = true; });
                if (behaviour_.cancel == CancelMode::kHonour) {
                    const auto done = static_cast<Uint16>(n - 1);
                    return sendMOVEResponse(id, rq.MessageID, rq.AffectedSOPClassUID, nullptr,
                                            STATUS_MOVE_Cancel_SubOperationsTerminatedDueToCancelIndication,
                                            nullptr, static_cast<Uint16>(total - done), done, 0, 0);
                }
            } else if (cond != DIMSE_NODATAAVAILABLE) {
                return cond;  // the client is gone
            }
            cond = sendMOVEResponse(id, rq.MessageID, rq.AffectedSOPClassUID, nullptr, STATUS_Pending,
                                    nullptr, static_cast<Uint16>(total - n), n, 0, 0);
            if (cond.bad()) return cond;
        }
        return sendMOVEResponse(id, rq.MessageID, rq.AffectedSOPClassUID, nullptr, behaviour_.moveStatus,
                                nullptr, 0, total, 0, 0);
    }

    OFCondition HandleStore(T_DIMSE_C_StoreRQ& rq, const DcmPresentationContextInfo& info) {
        const T_ASC_PresentationContextID id = info.presentationContextID;
        DcmDataset* dataset = nullptr;
        OFCondition cond = receiveSTORERequest(rq, id, dataset);
        if (cond.bad()) return cond;
        StoreRequest store;
        store.sopClassUID = rq.AffectedSOPClassUID;
        store.sopInstanceUID = rq.AffectedSOPInstanceUID;
        store.dataset = ToWire(*dataset, TransferSyntaxOf(id));
        delete dataset;
        Update([&](TestScpRecord& r) { r.stores.push_back(std::move(store)); });
        if (behaviour_.neverAnswer) return StaySilent();
        return sendSTOREResponse(id, rq, behaviour_.storeStatus);
    }

    std::atomic<bool> stop_{false};
    RecordingLayer layer_;  // outlives the network: DcmSCP drops it in its destructor
    bool layerSet_ = false;
    Ending ending_ = Ending::kNone;
    std::thread thread_;
};

TestScp::TestScp(TestScpBehaviour behaviour) : impl_(std::make_unique<Impl>(std::move(behaviour))) {}
TestScp::~TestScp() = default;

int TestScp::port() const {
    return impl_->port_;
}
const std::string& TestScp::aet() const {
    return impl_->behaviour_.aet;
}

TestScpRecord TestScp::Record() const {
    std::lock_guard lock(impl_->mutex_);
    return impl_->record_;
}

bool TestScp::WaitForEnded(int count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mutex_);
    return impl_->changed_.wait_for(lock, timeout, [&] { return impl_->record_.ended() >= count; });
}

}  // namespace pelko::test
