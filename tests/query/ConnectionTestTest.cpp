// File, "Test connection" over the fake toolkit: what the user reads and
// what the log keeps for each outcome, and which parameters the C-ECHO gets.
#include "dicom/StatusWords.h"
#include "query/ConnectionTest.h"
#include "query/SearchFixture.h"

namespace pelko::test {
namespace {

using dicom::DicomError;

class ConnectionTestTest : public SearchFixture {
protected:
    query::ConnectionTest connection{shell, settings, kit, errors, gate};
};

const std::string kAssociation = "Association from PELKO_WS to ARCHIVE (127.0.0.1:11112) ";

TEST_F(ConnectionTestTest, EachOutcomeIsExplainedAndEachFailureLogged) {
    const struct {
        std::string name;
        std::optional<DicomError> error;
        std::string message;
    } cases[] = {
        {"answered", std::nullopt,
         "info: The archive answered in 12 ms.\n\nARCHIVE at 127.0.0.1:11112, without TLS."},
        {"no answer",
         DicomError(dicom::kErrNoConnection,
                    kAssociation + "failed: no connection (TCP Initialization Error: Connection refused)"),
         "error: The archive did not answer at 127.0.0.1:11112. Check the IP address and the port in the "
         "settings, and that the archive is running."},
        {"wrong AE title",
         DicomError(
             dicom::kErrAssociationRejected,
             kAssociation + "rejected (permanent) by the service user: called AE title not recognized"),
         "error: The archive rejected the AE title \"ARCHIVE\": that is not its name. Check the archive's AE "
         "title in the settings."},
        {"calling AE title",
         DicomError(
             dicom::kErrAssociationRejected,
             kAssociation + "rejected (permanent) by the service user: calling AE title not recognized"),
         "error: The archive rejected our AE title \"PELKO_WS\": it does not know this workstation. Check "
         "the "
         "local AE title in the settings, or ask for it to be registered at the archive."},
        {"TLS handshake time-out",
         DicomError(dicom::kErrTimeout,
                    kAssociation + "failed: TLS handshake: time-out, no answer within 30 s"),
         "error: The archive at 127.0.0.1:11112 accepted the connection but did not answer the TLS handshake "
         "in time."},
        {"certificate",
         DicomError(dicom::kErrTlsHandshake,
                    dicom::NetworkWords(dicom::NetworkFailure::TlsRefused, "ARCHIVE (127.0.0.1:11112)",
                                        "the archive's certificate was not accepted: self-signed certificate "
                                        "(certificate /CN=127.0.0.1)")),
         "error: The TLS handshake failed: the archive's certificate was not accepted: self-signed "
         "certificate "
         "(certificate /CN=127.0.0.1)"},
        {"TLS archive, plain client",
         DicomError(dicom::kErrAssociationAborted,
                    kAssociation + "failed: connection closed by the peer (Network closed)"),
         "error: The archive closed the connection without an answer. If it requires DICOM over TLS, set "
         "TLS=1 in Settings.ini."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        shell.messages.clear();
        kit.echoResult.roundTrip = std::chrono::microseconds(12'345);
        kit.echoError = c.error;
        const auto linesBefore = errorLogLines().size();

        connection.Run();

        const auto log = errorLogLines();
        if (!c.error) {
            EXPECT_EQ(shell.messages, std::vector<std::string>{c.message});
            EXPECT_EQ(log.size(), linesBefore);
            continue;
        }
        const std::string details = ErrorDetails(c.error->number(), c.error->what());
        EXPECT_EQ(shell.messages, std::vector<std::string>{c.message + "\n\n" + details});
        ASSERT_EQ(log.size(), linesBefore + 1);
        EXPECT_TRUE(log.back().ends_with(" - " + details + " - mnuTestConnection_Click\r")) << log.back();
    }
    // The pointer is busy only while the archive is waited for.
    EXPECT_EQ(shell.busyPointer, (std::vector<bool>{true, false, true, false, true, false, true, false, true,
                                                    false, true, false, true, false}));
}

// The C-ECHO goes to the archive as Settings.ini says now, TLS included; a
// file without the TLS keys gives the plain association a search gets.
TEST_F(ConnectionTestTest, SettingsAreReadAgainAndTlsPathsComeFromTheDataFolder) {
    connection.Run();
    // An absolute path of the platform ("C:" first on Windows).
    const std::string trusted = (dir / "x").root_name().string() + "/etc/ssl/ca.pem";
    WriteBytes(dir / "Settings.ini",
               "[Local]\r\nAET=WS2\r\n[Query]\r\nAET=TLSARCHIVE\r\nIP=10.1.1.1\r\nPort=2762\r\nTLS=1\r\n"
               "TLSCertificate=certs/ws.pem\r\nTLSPrivateKey=certs/ws.key\r\n"
               "TLSTrustedCertificates=" +
                   trusted + "\r\n");
    connection.Run();

    ASSERT_EQ(kit.echoes.size(), 2u);
    EXPECT_EQ(kit.echoes[0],
              (dicom::AssociationParameters{"127.0.0.1", 11112, "ARCHIVE", "PELKO_WS", {}, {}}));
    const dicom::TlsSettings tls{true, (dir / "certs/ws.pem").string(), (dir / "certs/ws.key").string(),
                                 trusted};
    EXPECT_EQ(kit.echoes[1], (dicom::AssociationParameters{"10.1.1.1", 2762, "TLSARCHIVE", "WS2", {}, tls}));
    EXPECT_EQ(shell.messages.back(),
              "info: The archive answered in less than 1 ms.\n\nTLSARCHIVE at 10.1.1.1:2762, over TLS.");
}

TEST(EchoAnswer, RoundsTheRoundTripToTheNearestMillisecond) {
    const dicom::AssociationParameters archive{"127.0.0.1", 104, "ARCHIVE", "WS", {}, {}};
    const struct {
        std::int64_t microseconds;
        std::string time;
    } cases[] = {
        {0, "less than 1 ms"}, {499, "less than 1 ms"}, {500, "1 ms"}, {1'499, "1 ms"}, {1'500, "2 ms"}};
    for (const auto& c : cases) {
        EXPECT_EQ(query::EchoAnswer(archive, {std::chrono::microseconds(c.microseconds), {}}),
                  "The archive answered in " + c.time + ".\n\nARCHIVE at 127.0.0.1:104, without TLS.");
    }
}

TEST_F(ConnectionTestTest, RefusedWhileAnotherActionRunsAndWithoutSettings) {
    {
        auto busy = gate.tryEnter();
        connection.Run();
    }
    EXPECT_TRUE(kit.echoes.empty());
    EXPECT_TRUE(shell.messages.empty());

    std::filesystem::remove(dir / "Settings.ini");
    connection.Run();
    EXPECT_TRUE(kit.echoes.empty());
    EXPECT_EQ(shell.messages, std::vector<std::string>{"error: " + std::string(kSeeLogMessage)});
    EXPECT_TRUE(errorLogLines().back().ends_with(" - CheckInI\r"));
}

}  // namespace
}  // namespace pelko::test
