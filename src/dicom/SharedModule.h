// Loading a shared module at run time: one file per platform
// (SharedModulePosix.cpp with dlopen, SharedModuleWindows.cpp with
// LoadLibraryW).
#pragma once

#include <filesystem>
#include <string>

namespace pelko::dicom {

// The loaded module, or null with `why` set to the system's words.
void* OpenSharedModule(const std::filesystem::path& file, std::string& why);
// The address of `name` in `module`, or null.
void* SharedModuleSymbol(void* module, const char* name);
void CloseSharedModule(void* module);

}  // namespace pelko::dicom
