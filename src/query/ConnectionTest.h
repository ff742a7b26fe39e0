// File, "Test connection": one C-ECHO to the archive with the settings as
// Settings.ini holds them now (TLS included), answered in a message box:
// how long the archive took, or what failed in plain words.
#pragma once

#include <string>

#include "dicom/Toolkit.h"
#include "log/Error.h"

namespace pelko {
class ActionGate;
class ErrorReporter;
class Shell;
namespace config {
class Settings;
}
}  // namespace pelko

namespace pelko::query {

inline constexpr const char* kTestConnectionLabel = "mnuTestConnection_Click";

// "The archive answered in 12 ms." and which archive it was.
std::string EchoAnswer(const dicom::AssociationParameters& archive, const dicom::EchoResult& result);
// What a failure of the C-ECHO means for the user, chosen by its cause, with
// the logged number and description below it.
std::string EchoFailure(const dicom::AssociationParameters& archive, const dicom::DicomError& error);

class ConnectionTest {
public:
    ConnectionTest(Shell& shell, config::Settings& settings, dicom::Toolkit& toolkit, ErrorReporter& errors,
                   ActionGate& gate);

    // Refused while another action runs. Re-reads Settings.ini as a search
    // does (a missing file is reported the same way), then sends the C-ECHO
    // within the bounded waits of the association parameters. A failure is
    // logged under kTestConnectionLabel and then explained.
    void Run();

private:
    Shell& shell_;
    config::Settings& settings_;
    dicom::Toolkit& toolkit_;
    ErrorReporter& errors_;
    ActionGate& gate_;
};

}  // namespace pelko::query
