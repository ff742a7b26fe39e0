#include "dicom/ModuleToolkit.h"

#include "base/Text.h"
#include "dicom/SharedModule.h"

namespace pelko::dicom {
namespace {

[[noreturn]] void Fail(const std::filesystem::path& module, const std::string& why) {
    throw DicomError(kErrToolkitModule, "Pelko's DICOM module " + PathText(module) +
                                            " could not be loaded: " + why + ". Reinstall Pelko.");
}

}  // namespace

const char* DicomModuleInterfaceId() {
    return PELKO_DICOM_INTERFACE;
}

ModuleToolkit::ModuleToolkit(std::filesystem::path module, DicomLog* log, Wrap wrap)
    : module_(std::move(module)), log_(log), wrap_(std::move(wrap)) {}

ModuleToolkit::~ModuleToolkit() = default;

Toolkit& ModuleToolkit::target() {
    const std::lock_guard lock(mutex_);
    if (!loaded_) load();
    return wrapped_ ? *wrapped_ : *loaded_;
}

void ModuleToolkit::load() {
    // Loading an already loaded module only counts it once more.
    std::string why;
    void* handle = OpenSharedModule(module_, why);
    if (handle == nullptr) Fail(module_, why);
    auto* entry = reinterpret_cast<DicomModuleEntry*>(SharedModuleSymbol(handle, kDicomModuleEntry));
    if (entry == nullptr) {
        CloseSharedModule(handle);
        Fail(module_, "it is not a Pelko DICOM module");
    }
    std::unique_ptr<Toolkit> loaded(entry(DicomModuleInterfaceId(), log_));
    if (!loaded) {
        CloseSharedModule(handle);
        Fail(module_, "it belongs to another build of Pelko");
    }
    // Counts as loaded only once wrapped: calls never bypass the wrapper.
    if (wrap_) wrapped_ = wrap_(*loaded);
    loaded_ = std::move(loaded);
}

std::unique_ptr<QueryAssociation> ModuleToolkit::newQueryAssociation(const AssociationParameters& peer) {
    return target().newQueryAssociation(peer);
}

std::unique_ptr<StoreAssociation> ModuleToolkit::newStoreAssociation(const AssociationParameters& peer) {
    return target().newStoreAssociation(peer);
}

std::unique_ptr<UidGenerator> ModuleToolkit::newUidGenerator() {
    return target().newUidGenerator();
}

EchoResult ModuleToolkit::Echo(const AssociationParameters& peer) {
    return target().Echo(peer);
}

}  // namespace pelko::dicom
