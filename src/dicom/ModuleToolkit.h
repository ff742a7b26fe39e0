// The DICOM toolkit in a module of its own, modules/pelko-dcmtk.so in the
// program's folder, loaded on the first call. Until then DCMTK, OpenSSL and the
// libraries behind them are not loaded: the window shows sooner, and a
// Pelko that is opened and closed without a search never maps them.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

#include "dicom/Toolkit.h"

namespace pelko {
class DicomLog;
}

namespace pelko::dicom {

// The module's file, under the program's folder. In a folder of its own:
// Debian runs ldconfig for a package with a library directly in a
// subfolder of /usr/lib, which a private module does not need.
// The name ends as the platform's modules do (.so, .dll): the build says.
inline constexpr char kDicomModuleFile[] = PELKO_DICOM_MODULE_FILE;

// The module's one entry point, by this name: a new toolkit writing to `log`
// (may be null), DCMTK's process-wide state set up on the first call; null
// when `interfaceId` is not the one the module was built with (a module of
// another build).
inline constexpr char kDicomModuleEntry[] = "pelko_dicom_toolkit";
extern "C" {
typedef Toolkit* DicomModuleEntry(const char* interfaceId, DicomLog* log);
}

// Identifies the toolkit interface this program was built with.
const char* DicomModuleInterfaceId();

class ModuleToolkit : public Toolkit {
public:
    // Makes the toolkit the calls go to from the loaded one, e.g. a
    // PumpingToolkit around it; without it the calls go to the loaded one.
    using Wrap = std::function<std::unique_ptr<Toolkit>(Toolkit& loaded)>;

    // Nothing is loaded yet. `log` must outlive this toolkit.
    ModuleToolkit(std::filesystem::path module, DicomLog* log, Wrap wrap = {});
    // The module itself stays loaded until the program ends: DCMTK and
    // OpenSSL keep process-wide state.
    ~ModuleToolkit() override;

    // Each loads the module when it is not yet loaded: a module that is
    // missing, unreadable or of another build gives DicomError
    // (kErrToolkitModule), and the next call tries again.
    std::unique_ptr<QueryAssociation> newQueryAssociation(const AssociationParameters& peer) override;
    std::unique_ptr<StoreAssociation> newStoreAssociation(const AssociationParameters& peer) override;
    std::unique_ptr<UidGenerator> newUidGenerator() override;
    EchoResult Echo(const AssociationParameters& peer) override;

private:
    Toolkit& target();
    void load();  // with mutex_ held

    const std::filesystem::path module_;
    DicomLog* const log_;
    const Wrap wrap_;
    std::mutex mutex_;
    std::unique_ptr<Toolkit> loaded_;
    std::unique_ptr<Toolkit> wrapped_;  // released before loaded_
};

}  // namespace pelko::dicom
