// The DICOM toolkit on DCMTK. The only header of the program through which
// DCMTK is reached; it exposes no DCMTK type.
#pragma once

#include <memory>

#include "dicom/Toolkit.h"

namespace pelko {
class DicomLog;
}

namespace pelko::dicom {

// DCMTK's process-wide state, set once before the first association:
// SIGPIPE ignored (a peer that closed its end must give an error, not end
// the program), TCP_NODELAY in the environment (a value set by the user is
// kept), DCMTK's connect time-out, and its own log output sent nowhere
// unless `verbose` is set (then to stderr).
void InitializeDcmtkProcess(bool verbose = false);

// Sends DCMTK's network log at info level to `sink` from now on, and to
// nowhere else; null: DCMTK's network log goes back to the level
// InitializeDcmtkProcess chose. `sink` must outlive the routing.
void RouteDcmtkNetworkLog(DicomLog* sink);

// The toolkit. With `log`, every association and operation writes its lines
// there, and DCMTK's network log is routed to it.
std::unique_ptr<Toolkit> MakeDcmtkToolkit(DicomLog* log = nullptr);

}  // namespace pelko::dicom
