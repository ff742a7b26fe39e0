#include <dlfcn.h>

#include "dicom/SharedModule.h"

namespace pelko::dicom {

void* OpenSharedModule(const std::filesystem::path& file, std::string& why) {
    // Loading an already loaded module only counts it once more.
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* text = ::dlerror();
        why = text != nullptr ? text : "unknown error";
    }
    return handle;
}

void* SharedModuleSymbol(void* module, const char* name) {
    return ::dlsym(module, name);
}

void CloseSharedModule(void* module) {
    ::dlclose(module);
}

}  // namespace pelko::dicom
