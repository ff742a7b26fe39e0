// The program's logic over DICOM TLS, as Settings.ini turns it on: Orthanc
// speaking TLS only on its DICOM port, certificates made by openssl for the
// test and kept in the data folder, named there by relative paths. The
// adapter's own TLS cases (hostname, unusable files, silent peer) are in
// tests/network/TlsTest.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "e2e/Workstation.h"
#include "peers/OrthancFixture.h"
#include "peers/Ports.h"
#include "peers/StoreScpFixture.h"
#include "peers/TestCertificates.h"

namespace pelko::test {
namespace {

const std::string kStudyA = "1.2.826.0.1.3680043.9.7311.800.1";
const std::string kStudyB = "1.2.826.0.1.3680043.9.7311.800.2";
const std::string kSeeLog = std::string("error: ") + kSeeLogMessage;

enum class Trust { kCa, kOther };

class OverTls : public ::testing::Test {
protected:
    static void SetUpTestSuite() { certificates_ = new TestCertificates; }
    static void TearDownTestSuite() {
        delete certificates_;
        certificates_ = nullptr;
    }

    // Two studies of "Secret^..." patients; DEST1 as a move destination.
    static std::unique_ptr<OrthancFixture> Archive(std::vector<RemoteModality> modalities = {},
                                                   bool clientCertificateRequired = false) {
        const auto& c = *certificates_;
        auto orthanc = std::make_unique<OrthancFixture>(
            OrthancOptions{.modalities = std::move(modalities),
                           .checkCalledAet = true,
                           .tls = OrthancTls{c.server().certificate, c.server().privateKey, c.caCertificate(),
                                             clientCertificateRequired}});
        for (const auto& [uid, name] :
             {std::pair{kStudyA, "Secret^Anna"}, std::pair{kStudyB, "Secret^Ben"}}) {
            orthanc->CreateInstance(
                std::string(R"({"PatientName": ")") + name +
                R"(", "PatientID": "S1", "StudyDate": "20240301", "StudyInstanceUID": ")" + uid +
                R"(", "SOPClassUID": "1.2.840.10008.5.1.4.1.1.7", "Modality": "OT"})");
        }
        return orthanc;
    }

    // Settings.ini with TLS on: the archive's CA (or a certificate that did
    // not sign it) and optionally our certificate, copied into certs/ of
    // the data folder and named relative to it.
    static void Configure(Workstation& ws, const OrthancFixture& archive, Trust trust,
                          bool clientCertificate = false, std::vector<std::string> nodes = {},
                          bool forward = false) {
        const auto& c = *certificates_;
        const auto certs = ws.dir / "certs";
        std::filesystem::create_directories(certs);
        const auto copy = [&](const std::string& from, const std::string& name) {
            // Removed first: libstdc++ on Windows (GCC 12) refuses to
            // overwrite an existing file even with overwrite_existing.
            std::filesystem::remove(certs / name);
            std::filesystem::copy_file(from, certs / name);
            return "certs/" + name;
        };
        IniValues v;
        v.archiveAet = archive.aet();
        v.archivePort = archive.dicomPort();
        v.nodes = std::move(nodes);
        v.forward = forward;
        v.queryExtra =
            "TLS=1\r\nTLSTrustedCertificates=" +
            copy(trust == Trust::kCa ? c.caCertificate() : c.untrusted().certificate, "trusted.pem") + "\r\n";
        if (clientCertificate) {
            v.queryExtra += "TLSCertificate=" + copy(c.client().certificate, "pelko.pem") +
                            "\r\nTLSPrivateKey=" + copy(c.client().privateKey, "pelko.key") + "\r\n";
        }
        ws.configure(v);
    }

    static std::vector<std::string> Found(Workstation& ws) {
        ws.typeNames("Secret*");
        ws.search.Search();
        auto uids = ws.gridUids();
        std::sort(uids.begin(), uids.end());
        return uids;
    }

    static inline TestCertificates* certificates_ = nullptr;
};

// Search, send in move mode and send in forward mode, all over TLS. Orthanc
// refuses a redirect request (0xA700): that answer comes over the TLS
// connection, the only one its DICOM port takes.
TEST_F(OverTls, SearchSendAndForwardReachTheArchive) {
    StoreScpFixture dest("DEST1");
    const auto archive = Archive({{"DEST1", dest.port()}});
    Workstation ws;
    Configure(ws, *archive, Trust::kCa, false, {"First|DEST1"});

    EXPECT_EQ(Found(ws), (std::vector<std::string>{kStudyA, kStudyB}));
    ws.grid.selectRow(1);
    const std::string selected = ws.grid.uids()[0];
    ws.nodes.NodeClicked(0);
    EXPECT_TRUE(ws.sender.Send());
    EXPECT_TRUE(dest.WaitForFiles(1));
    EXPECT_EQ(dest.StudyUIDs(), std::vector<std::string>{selected});
    EXPECT_EQ(ws.errorLogLines(), std::vector<std::string>{});

    Configure(ws, *archive, Trust::kCa, false, {}, true);
    EXPECT_TRUE(ws.sender.Send());
    const auto errors = ws.errorLogLines();
    ASSERT_EQ(errors.size(), 1u);
    const LoggedError e = ParseErrorLine(errors[0]);
    EXPECT_EQ(e.number, "42752") << errors[0];
    EXPECT_EQ(e.label, "Send");
}

// An archive whose certificate is not vouched for by the trusted
// certificates: every action says so and nothing is sent.
TEST_F(OverTls, AnUntrustedArchiveIsRefusedAndNothingIsSent) {
    StoreScpFixture dest("DEST1");
    const auto archive = Archive({{"DEST1", dest.port()}});
    Workstation ws;
    Configure(ws, *archive, Trust::kCa, false, {"First|DEST1"});
    ASSERT_EQ(Found(ws).size(), 2u);
    ws.grid.selectRow(1);
    ws.nodes.NodeClicked(0);

    Configure(ws, *archive, Trust::kOther, false, {"First|DEST1"});
    EXPECT_TRUE(ws.sender.Send());
    ws.search.Search();
    ws.connection.Run();

    const std::string refused = "must match (the archive's certificate was not accepted: ";
    const auto errors = ws.errorLogLines();
    ASSERT_EQ(errors.size(), 3u);
    const char* labels[] = {"Send", "cmdSearch_Click", "mnuTestConnection_Click"};
    for (std::size_t i = 0; i < errors.size(); ++i) {
        const LoggedError e = ParseErrorLine(errors[i]);
        EXPECT_EQ(e.number, "1009") << errors[i];
        EXPECT_EQ(e.label, labels[i]);
        EXPECT_NE(e.description.find(refused), std::string::npos) << errors[i];
    }
    ASSERT_EQ(ws.shell.messages.size(), 3u);
    EXPECT_EQ(ws.shell.messages[0],
              "error: " + ErrorDetails(1009, ParseErrorLine(errors[0]).description) + " (DEST1)");
    EXPECT_EQ(ws.shell.messages[1], kSeeLog);
    EXPECT_TRUE(ws.shell.messages[2].starts_with(
        "error: The TLS handshake failed: the archive's certificate was not accepted: "))
        << ws.shell.messages[2];
    EXPECT_EQ(dest.Files().size(), 0u);
}

TEST_F(OverTls, AnArchiveThatRequiresOurCertificate) {
    const auto archive = Archive({}, true);
    const struct {
        bool clientCertificate;
        std::vector<std::string> found;
        std::string logged;  // in the description, "" for none
    } cases[] = {
        {false, {}, "requires a client certificate, and none is set"},
        {true, {kStudyA, kStudyB}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.clientCertificate);
        Workstation ws;
        Configure(ws, *archive, Trust::kCa, c.clientCertificate);
        ws.typeNames("Secret*");
        ws.search.Search();
        auto uids = ws.gridUids();
        std::sort(uids.begin(), uids.end());
        const auto errors = ws.errorLogLines();
        if (c.logged.empty()) {
            EXPECT_EQ(uids, c.found);
            EXPECT_EQ(errors, std::vector<std::string>{});
            continue;
        }
        EXPECT_EQ(ws.grid.rowCount(), 0);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_NE(ParseErrorLine(errors[0]).description.find(c.logged), std::string::npos) << errors[0];
        EXPECT_EQ(ws.shell.messages, std::vector<std::string>{kSeeLog});
    }
}

// "Test connection" with the real adapter: a TLS archive that answers, a
// port nobody listens on, and an AE title the archive does not go by.
TEST_F(OverTls, TheConnectionTestsThreeOutcomes) {
    const auto archive = Archive();
    const int closedPort = FreePort();
    const struct {
        std::string name;
        int port;
        std::string aet;
        std::string says;  // the start of the message
    } cases[] = {
        {"answers", archive->dicomPort(), "ORTHANC", "info: The archive answered in "},
        {"no answer", closedPort, "ORTHANC",
         "error: The archive did not answer at 127.0.0.1:" + std::to_string(closedPort) + "."},
        {"wrong AE title", archive->dicomPort(), "NOTORTHANC",
         "error: The archive rejected the AE title \"NOTORTHANC\": that is not its name."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Workstation ws;
        Configure(ws, *archive, Trust::kCa);
        IniValues v;
        v.archiveAet = c.aet;
        v.archivePort = c.port;
        v.queryExtra = "TLS=1\r\nTLSTrustedCertificates=certs/trusted.pem\r\n";
        ws.configure(v);

        ws.connection.Run();

        ASSERT_EQ(ws.shell.messages.size(), 1u);
        EXPECT_TRUE(ws.shell.messages[0].starts_with(c.says)) << ws.shell.messages[0];
        const auto errors = ws.errorLogLines();
        if (c.name == "answers") {
            EXPECT_TRUE(ws.shell.messages[0].ends_with(
                " ms.\n\nORTHANC at 127.0.0.1:" + std::to_string(c.port) + ", over TLS."));
            EXPECT_EQ(errors, std::vector<std::string>{});
        } else {
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_EQ(ParseErrorLine(errors[0]).label, "mnuTestConnection_Click");
        }
    }
}

}  // namespace
}  // namespace pelko::test
