// DICOM over TLS and the C-ECHO connection test against Orthanc, with
// certificates made by openssl for the test: a plain archive, a TLS archive
// that lets anonymous clients in and one that requires a client certificate.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "dicom/StatusWords.h"
#include "dicom/dcmtk/DcmtkToolkit.h"
#include "network/NetworkSupport.h"
#include "peers/ChildProcess.h"
#include "peers/OrthancFixture.h"
#include "peers/Ports.h"
#include "peers/StoreScpFixture.h"
#include "peers/TestCertificates.h"
#include "peers/TestSockets.h"

namespace pelko::test {
namespace {

using dicom::DicomError;
using dicom::TlsSettings;
namespace tags = dicom::tags;

const std::string kStudy = "1.2.826.0.1.3680043.9.7311.611.1";
const std::string kSecretName = "Confidential^Patricia";
const std::string kCRImageStorage = "1.2.840.10008.5.1.4.1.1.1";

enum class Archive { kPlain, kTls, kTlsClientCertificateRequired, kClosedPort };
enum class Client { kPlain, kAnonymous, kTrustingOther, kWithCertificate, kWithUntrustedCertificate };

struct EchoCase {
    std::string name = "";
    Archive archive = Archive::kPlain;
    Client client = Client::kPlain;
    std::string host = "127.0.0.1";
    std::string calledAet = "ORTHANC";
    std::int32_t number = 0;  // 0: success
    std::string says = "";    // in the description
};
void PrintTo(const EchoCase& c, std::ostream* os) {
    *os << c.name;
}

class TlsAgainstOrthanc : public ::testing::TestWithParam<EchoCase> {
protected:
    // The archives start on first use and serve every test of the suite
    // (the program is one CTest entry).
    static void SetUpTestSuite() { certificates_ = new TestCertificates; }
    static void TearDownTestSuite() {
        for (auto** o : {&plain_, &tls_, &strict_}) {
            delete *o;
            *o = nullptr;
        }
        delete destination_;
        delete certificates_;
        destination_ = nullptr;
        certificates_ = nullptr;
    }

    static OrthancTls ArchiveTls(bool clientCertificateRequired) {
        const auto& c = *certificates_;
        return {c.server().certificate, c.server().privateKey, c.caCertificate(), clientCertificateRequired};
    }
    // With one study of kSecretName; DEST1 is a storescp.
    static OrthancFixture& TlsArchive() {
        if (tls_ != nullptr) return *tls_;
        destination_ = new StoreScpFixture("DEST1");
        tls_ = new OrthancFixture(OrthancOptions{.modalities = {{"DEST1", destination_->port()}},
                                                 .checkCalledAet = true,
                                                 .tls = ArchiveTls(false)});
        tls_->CreateInstance(R"({"PatientName": ")" + kSecretName + R"(", "PatientID": "T1",
            "StudyDate": "20240301", "SOPClassUID": "1.2.840.10008.5.1.4.1.1.7", "Modality": "OT",
            "StudyInstanceUID": ")" +
                             kStudy + "\"}");
        return *tls_;
    }

    static TlsSettings Settings(Client client) {
        const auto& c = *certificates_;
        switch (client) {
            case Client::kPlain:
                return {};
            case Client::kAnonymous:
                return {true, "", "", c.caCertificate()};
            case Client::kTrustingOther:
                return {true, "", "", c.untrusted().certificate};
            case Client::kWithCertificate:
                return {true, c.client().certificate, c.client().privateKey, c.caCertificate()};
            case Client::kWithUntrustedCertificate:
                return {true, c.untrusted().certificate, c.untrusted().privateKey, c.caCertificate()};
        }
        return {};
    }

    static int Port(Archive archive) {
        switch (archive) {
            case Archive::kPlain:
                if (plain_ == nullptr) plain_ = new OrthancFixture(OrthancOptions{.checkCalledAet = true});
                return plain_->dicomPort();
            case Archive::kTls:
                return TlsArchive().dicomPort();
            case Archive::kTlsClientCertificateRequired:
                if (strict_ == nullptr) {
                    strict_ =
                        new OrthancFixture(OrthancOptions{.checkCalledAet = true, .tls = ArchiveTls(true)});
                }
                return strict_->dicomPort();
            case Archive::kClosedPort:
                return FreePort();
        }
        return 0;
    }

    static dicom::AssociationParameters Target(int port, const TlsSettings& tls,
                                               std::string host = "127.0.0.1",
                                               std::string calledAet = "ORTHANC") {
        return {std::move(host), port, std::move(calledAet), kOurAet, ShortTimeouts(10), tls};
    }
    static dicom::EchoResult Echo(const dicom::AssociationParameters& target) {
        return dicom::MakeDcmtkToolkit()->Echo(target);
    }

    static inline TestCertificates* certificates_ = nullptr;
    static inline StoreScpFixture* destination_ = nullptr;
    static inline OrthancFixture* plain_ = nullptr;
    static inline OrthancFixture* tls_ = nullptr;
    static inline OrthancFixture* strict_ = nullptr;
};

TEST_P(TlsAgainstOrthanc, EchoAnswersOrSaysWhatFailed) {
    const auto& c = GetParam();
    const auto target = Target(Port(c.archive), Settings(c.client), c.host, c.calledAet);
    if (c.number == 0) {
        const dicom::EchoResult result = Echo(target);
        EXPECT_GT(result.roundTrip.count(), 0);
        EXPECT_GE(result.total, result.roundTrip);
        return;
    }
    const DicomError error = ExpectDicomError([&] { Echo(target); });
    if (c.archive == Archive::kClosedPort && kRefusedConnectIsTimeOut) {
        EXPECT_EQ(error.number(), c.number) << error.what();
        EXPECT_NE(std::string(error.what()).find("no connection ("), std::string::npos) << error.what();
        return;
    }
    EXPECT_EQ(error.number(), c.number) << error.what();
    EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos) << error.what();
}

INSTANTIATE_TEST_SUITE_P(
    , TlsAgainstOrthanc,
    ::testing::Values(
        EchoCase{.name = "Plain", .archive = Archive::kPlain, .client = Client::kPlain},
        EchoCase{.name = "PlainClosedPort",
                 .archive = Archive::kClosedPort,
                 .client = Client::kPlain,
                 .number = dicom::kErrNoConnection,
                 .says = "no connection (TCP Initialization Error: Connection refused)"},
        EchoCase{.name = "PlainWrongCalledAet",
                 .archive = Archive::kPlain,
                 .client = Client::kPlain,
                 .calledAet = "NOTORTHANC",
                 .number = dicom::kErrAssociationRejected,
                 .says = "called AE title not recognized"},
        EchoCase{.name = "TlsAnonymousTrustingTheCa", .archive = Archive::kTls, .client = Client::kAnonymous},
        EchoCase{.name = "TlsServerNotTrusted",
                 .archive = Archive::kTls,
                 .client = Client::kTrustingOther,
                 .number = dicom::kErrTlsHandshake,
                 .says = "must match (the archive's certificate was not accepted: "},
        EchoCase{.name = "TlsCertificateForAnotherHost",
                 .archive = Archive::kTls,
                 .client = Client::kAnonymous,
                 .host = "localhost",
                 .number = dicom::kErrTlsHandshake,
                 .says = "the archive's certificate was not accepted: hostname mismatch"},
        EchoCase{.name = "TlsWrongCalledAet",
                 .archive = Archive::kTls,
                 .client = Client::kAnonymous,
                 .calledAet = "NOTORTHANC",
                 .number = dicom::kErrAssociationRejected,
                 .says = "called AE title not recognized"},
        EchoCase{.name = "TlsClientToPlainArchive",
                 .archive = Archive::kPlain,
                 .client = Client::kAnonymous,
                 .number = dicom::kErrTlsHandshake,
                 .says = "TLS on this port"},
        EchoCase{.name = "PlainClientToTlsArchive",
                 .archive = Archive::kTls,
                 .client = Client::kPlain,
                 .number = dicom::kErrAssociationAborted,
                 .says = "aborted"},
        EchoCase{.name = "ClientCertificateRequiredNoneSet",
                 .archive = Archive::kTlsClientCertificateRequired,
                 .client = Client::kAnonymous,
                 .number = dicom::kErrTlsHandshake,
                 .says = "requires a client certificate, and none is set"},
        EchoCase{.name = "ClientCertificateRequiredAndGiven",
                 .archive = Archive::kTlsClientCertificateRequired,
                 .client = Client::kWithCertificate},
        EchoCase{.name = "ClientCertificateNotTrustedByTheArchive",
                 .archive = Archive::kTlsClientCertificateRequired,
                 .client = Client::kWithUntrustedCertificate,
                 .number = dicom::kErrTlsHandshake,
                 .says = "did not accept our certificate"}),
    [](const auto& info) { return info.param.name; });

// Settings that cannot work fail before anything is sent, each with what
// is wrong.
TEST_F(TlsAgainstOrthanc, UnusableSettingsAreRefusedBeforeConnecting) {
    const auto& c = *certificates_;
    const std::string missing = (*certificates_ / "missing.pem").string();
    const std::string garbage = (*certificates_ / "garbage.pem").string();
    WriteBytes(garbage, "not a certificate\n");
    // A key behind a password fails to load rather than waiting for the
    // password on a terminal.
    const std::string locked = (*certificates_ / "locked.key").string();
    ASSERT_TRUE(RunQuietly({"/usr/bin/openssl", "pkey", "-in", c.client().privateKey, "-aes256", "-passout",
                            "pass:secret", "-out", locked}));
    const struct {
        TlsSettings tls;
        std::string says;
    } cases[] = {
        {{true, "", "", ""}, "no trusted certificates file"},
        {{true, "", "", missing},
         "the trusted certificates file " + missing + " cannot be used: it does not exist"},
        {{true, "", "", garbage},
         "the trusted certificates file " + garbage + " holds no readable PEM certificate"},
        {{true, c.client().certificate, "", c.caCertificate()}, "a certificate file but no private key file"},
        {{true, "", c.client().privateKey, c.caCertificate()}, "a private key file but no certificate file"},
        {{true, missing, c.client().privateKey, c.caCertificate()},
         "the certificate file " + missing + " cannot be used: it does not exist"},
        {{true, c.client().certificate, missing, c.caCertificate()},
         "the private key file " + missing + " cannot be used: it does not exist"},
        {{true, c.client().certificate, garbage, c.caCertificate()},
         "the private key file " + garbage + " holds no readable PEM private key"},
        {{true, c.client().certificate, locked, c.caCertificate()},
         "the private key file " + locked + " holds no readable PEM private key"},
        {{true, c.client().certificate, c.server().privateKey, c.caCertificate()},
         "the private key " + c.server().privateKey + " does not belong to the certificate " +
             c.client().certificate},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.says);
        const DicomError error = ExpectDicomError([&] { Echo(Target(FreePort(), k.tls)); });
        EXPECT_EQ(error.number(), dicom::kErrTlsSettings) << error.what();
        EXPECT_NE(std::string(error.what()).find("failed: TLS settings: " + k.says), std::string::npos)
            << error.what();
    }
}

// A peer that accepts the connection and never answers the handshake
// ends the C-ECHO within the association time-out.
TEST_F(TlsAgainstOrthanc, SilentPeerEndsTheHandshakeWithinTheBound) {
    SilentListener silent;
    auto target = Target(silent.port(), Settings(Client::kAnonymous));
    target.timeouts = ShortTimeouts(1);

    const auto start = std::chrono::steady_clock::now();
    const DicomError error = ExpectDicomError([&] { Echo(target); });

    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1 + 5));
    EXPECT_EQ(error.number(), dicom::kErrTimeout) << error.what();
    EXPECT_NE(std::string(error.what()).find(": TLS handshake: no answer within 1 s)."), std::string::npos)
        << error.what();
}

// A peer that offers only TLS 1.1 (with the retired profiles' cipher
// suites) is refused: no fall-back below TLS 1.2.
TEST_F(TlsAgainstOrthanc, NoFallBackBelowTls12) {
    const int port = FreePort();
    const auto& c = *certificates_;
    ChildProcess server(
        {"/usr/bin/openssl", "s_server", "-quiet", "-accept", std::to_string(port), "-tls1_1", "-cipher",
         "DEFAULT:@SECLEVEL=0", "-cert", c.server().certificate, "-key", c.server().privateKey},
        *certificates_ / "s_server.log");
    ASSERT_TRUE(WaitForPort(port, std::chrono::seconds(10)));

    const DicomError error = ExpectDicomError([&] { Echo(Target(port, Settings(Client::kAnonymous))); });

    EXPECT_EQ(error.number(), dicom::kErrTlsHandshake) << error.what();
    EXPECT_NE(std::string(error.what()).find("must match (the archive offers no TLS version from 1.2 on ("),
              std::string::npos)
        << error.what();
}

// An archive that speaks only TLS 1.2 and requires a client certificate.
// Without one, its refusal comes as an alert during the handshake; ours it
// refuses after its own side of the handshake, which DCMTK reports as the
// connection closed.
TEST_F(TlsAgainstOrthanc, Tls12ArchiveRequiringAClientCertificate) {
    const int port = FreePort();
    const auto& c = *certificates_;
    // It trusts only the untrusted pair's certificate: ours is refused.
    ChildProcess server({"/usr/bin/openssl", "s_server", "-quiet", "-accept", std::to_string(port), "-tls1_2",
                         "-Verify", "1", "-CAfile", c.untrusted().certificate, "-cert",
                         c.server().certificate, "-key", c.server().privateKey},
                        *certificates_ / "s_server12.log");
    ASSERT_TRUE(WaitForPort(port, std::chrono::seconds(10)));
    const std::string archive = "ORTHANC (127.0.0.1:" + std::to_string(port) + ")";
    for (const auto& [client, says] :
         {std::pair{Client::kAnonymous, "requires a client certificate, and none is set"},
          std::pair{
              Client::kWithCertificate,
              "closed the connection after the handshake; it probably did not accept our certificate"}}) {
        const DicomError error = ExpectDicomError([&] { Echo(Target(port, Settings(client))); });
        EXPECT_EQ(error.number(), dicom::kErrTlsHandshake) << error.what();
        EXPECT_EQ(error.what(), dicom::NetworkWords(dicom::NetworkFailure::TlsRefused, archive,
                                                    std::string("the archive ") + says));
    }
}

TEST_F(TlsAgainstOrthanc, FindAndMoveGoOverTls) {
    const auto query = dicom::MakeDcmtkToolkit()->newQueryAssociation(
        Target(TlsArchive().dicomPort(), Settings(Client::kAnonymous), "127.0.0.1", TlsArchive().aet()));
    dicom::Dataset request = ReturnKeys();
    request.setPatientName("Confidential*");

    const auto results = query->Find(request);

    ASSERT_EQ(results.Count(), 1);
    EXPECT_EQ(results[0].StudyInstanceUID(), kStudy);
    EXPECT_EQ(results[0].PatientName(), kSecretName);

    const std::size_t before = destination_->Files().size();
    query->Move(kStudy, "DEST1");
    ASSERT_TRUE(destination_->WaitForFiles(before + 1));
    const auto uids = destination_->StudyUIDs();
    EXPECT_EQ(std::count(uids.begin(), uids.end(), kStudy), 1);
}

// The archive's answer to a stored redirect request (it refuses it) comes
// back over TLS; with an untrusted archive nothing is sent.
TEST_F(TlsAgainstOrthanc, StoreGoesOverTlsAndNotToAnUntrustedArchive) {
    dicom::Dataset request;
    request.Attributes().Add(tags::RedirectMarker, "REDIRECT");
    request.Attributes().Add(tags::RedirectStudyUID, kStudy);

    const auto kit = dicom::MakeDcmtkToolkit();
    const auto store = kit->newStoreAssociation(
        Target(TlsArchive().dicomPort(), Settings(Client::kAnonymous), "127.0.0.1", TlsArchive().aet()));
    store->Open(kCRImageStorage);
    const DicomError refused = ExpectDicomError([&] { store->Store("2.25.4711", request); });
    EXPECT_EQ(refused.number(), 0xA700) << refused.what();
    store->Close();

    const auto untrusted = kit->newStoreAssociation(
        Target(TlsArchive().dicomPort(), Settings(Client::kTrustingOther), "127.0.0.1", TlsArchive().aet()));
    const DicomError error = ExpectDicomError([&] { untrusted->Open(kCRImageStorage); });
    EXPECT_EQ(error.number(), dicom::kErrTlsHandshake) << error.what();
    EXPECT_NE(std::string(error.what()).find("certificate was not accepted"), std::string::npos)
        << error.what();
}

}  // namespace
}  // namespace pelko::test
