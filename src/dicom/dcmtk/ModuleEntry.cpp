// The entry point of modules/pelko-dcmtk.so, the module ModuleToolkit loads. Built
// into the module only.
#include <cstring>
#include <mutex>
#include <type_traits>

#include "dicom/ModuleToolkit.h"
#include "dicom/dcmtk/DcmtkToolkit.h"

extern "C" __attribute__((visibility("default"))) pelko::dicom::Toolkit* pelko_dicom_toolkit(
    const char* interfaceId, pelko::DicomLog* log) {
    static_assert(std::is_same_v<decltype(pelko_dicom_toolkit), pelko::dicom::DicomModuleEntry>);
    if (interfaceId == nullptr || std::strcmp(interfaceId, pelko::dicom::DicomModuleInterfaceId()) != 0) {
        return nullptr;
    }
    static std::once_flag processSetUp;
    std::call_once(processSetUp, [] { pelko::dicom::InitializeDcmtkProcess(); });
    return pelko::dicom::MakeDcmtkToolkit(log).release();
}
