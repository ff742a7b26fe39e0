#include "query/ConnectionTest.h"

#include <optional>

#include "base/ActionGate.h"
#include "base/Shell.h"
#include "config/Settings.h"
#include "log/ErrorReport.h"
#include "query/ArchivePeer.h"

namespace pelko::query {
namespace {

// "ORTHANC at 127.0.0.1:4242"
std::string ArchiveText(const dicom::AssociationParameters& archive) {
    return archive.calledAET + " at " + archive.host + ":" + std::to_string(archive.port);
}

std::string Plainly(const dicom::AssociationParameters& archive, const dicom::DicomError& error) {
    using dicom::Cause;
    const std::string where = archive.host + ":" + std::to_string(archive.port);
    switch (error.cause()) {
        case Cause::NoConnection:
            return "The archive did not answer at " + where +
                   ". Check the IP address and the port in the settings, and that the archive is running.";
        case Cause::UnknownCalledAeTitle:
            return "The archive rejected the AE title \"" + archive.calledAET +
                   "\": that is not its name. Check the archive's AE title in the settings.";
        case Cause::UnknownCallingAeTitle:
            return "The archive rejected our AE title \"" + archive.callingAET +
                   "\": it does not know this workstation. Check the local AE title in the settings, "
                   "or ask for it to be registered at the archive.";
        case Cause::RefusedAssociation:
            return "The archive rejected the connection.";
        case Cause::NoTlsAnswer:
            return "The archive at " + where +
                   " accepted the connection but did not answer the TLS "
                   "handshake in time.";
        case Cause::NoAnswer:
            return "The archive at " + where + " accepted the connection but did not answer in time.";
        case Cause::TlsHandshake:
            return "The TLS handshake failed: " + error.detail();
        case Cause::TlsSettings:
            return "The TLS settings cannot be used: " + error.detail();
        case Cause::Aborted:
            if (!archive.tls.enabled) {
                return "The archive closed the connection without an answer. If it requires DICOM over TLS, "
                       "set TLS=1 in Settings.ini.";
            }
            return "The archive closed the connection without an answer.";
        case Cause::InvalidRequest:
            return "The settings do not say where the archive is: " + error.detail() + ".";
        default:
            return "The archive did not answer the connection test as expected.";
    }
}

// The busy pointer while the archive is waited for, off again before any
// message box.
class BusyPointer {
public:
    explicit BusyPointer(Shell& shell) : shell_(shell) {
        SkipOnFailure([&] { shell_.setBusyPointer(true); });
    }
    ~BusyPointer() {
        SkipOnFailure([&] { shell_.setBusyPointer(false); });
    }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    Shell& shell_;
};

}  // namespace

std::string EchoAnswer(const dicom::AssociationParameters& archive, const dicom::EchoResult& result) {
    const auto ms = (result.roundTrip.count() + 500) / 1000;
    const std::string time = ms == 0 ? "less than 1 ms" : std::to_string(ms) + " ms";
    return "The archive answered in " + time + ".\n\n" + ArchiveText(archive) +
           (archive.tls.enabled ? ", over TLS." : ", without TLS.");
}

std::string EchoFailure(const dicom::AssociationParameters& archive, const dicom::DicomError& error) {
    return Plainly(archive, error) + "\n\n" + ErrorDetails(error.number(), error.what());
}

ConnectionTest::ConnectionTest(Shell& shell, config::Settings& settings, dicom::Toolkit& toolkit,
                               ErrorReporter& errors, ActionGate& gate)
    : shell_(shell), settings_(settings), toolkit_(toolkit), errors_(errors), gate_(gate) {}

void ConnectionTest::Run() {
    auto pass = gate_.tryEnter();
    if (!pass) return;
    if (!settings_.ReloadOrReportMissing()) return;

    const dicom::AssociationParameters archive = ArchivePeer(settings_.record());
    dicom::EchoResult result;
    // The toolkit's failure as thrown, for its cause; anything else is
    // explained as an unexpected answer.
    std::optional<dicom::DicomError> failure;
    const bool answered = errors_.RunExplained(
        kTestConnectionLabel,
        [&] {
            BusyPointer busy(shell_);
            try {
                result = toolkit_.Echo(archive);
            } catch (const dicom::DicomError& e) {
                failure = e;
                throw;
            }
        },
        [&](const ErrorInfo& error) {
            return EchoFailure(archive,
                               failure ? *failure : dicom::DicomError(error.number, error.description));
        });
    if (answered) shell_.showInfo(EchoAnswer(archive, result));
}

}  // namespace pelko::query
