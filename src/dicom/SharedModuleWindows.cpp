#include <windows.h>

#include <system_error>

#include "dicom/SharedModule.h"

namespace pelko::dicom {
namespace {

std::string SystemWords(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words(text != nullptr ? text : L"", length);
    ::LocalFree(text);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L'.')) {
        words.pop_back();
    }
    if (words.empty()) return "system error " + std::to_string(code);
    const auto utf8 = std::filesystem::path(words).u8string();
    return std::string(utf8.begin(), utf8.end());
}

}  // namespace

void* OpenSharedModule(const std::filesystem::path& file, std::string& why) {
    // ERROR_MOD_NOT_FOUND stands for the module and for any library it
    // needs: a missing module is told apart first.
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        why = "No such file or directory";
        return nullptr;
    }
    // The libraries the module needs are looked for in its folder too.
    HMODULE handle = ::LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (handle == nullptr) why = SystemWords(::GetLastError());
    return reinterpret_cast<void*>(handle);
}

void* SharedModuleSymbol(void* module, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

void CloseSharedModule(void* module) {
    ::FreeLibrary(static_cast<HMODULE>(module));
}

}  // namespace pelko::dicom
