#include <windows.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QThread>

#include "app/qt/SingleInstance.h"

namespace pelko::ui {
namespace {

// The running copy's main window carries this title.
constexpr wchar_t kRunningTitle[] = L"Pelko";

struct Search {
    DWORD process = 0;  // 0: any process
    HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<Search*>(data);
    wchar_t title[8] = {};
    if (::GetWindowTextW(window, title, 8) <= 0 || std::wcscmp(title, kRunningTitle) != 0) return TRUE;
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (search.process != 0 && process != search.process) return TRUE;
    search.found = window;
    return FALSE;
}

// The top-level window titled "Pelko", of `process` when it is known.
HWND FindRunningWindow(DWORD process) {
    Search search{process, nullptr};
    ::EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

// The mutex marks the running copy; beside it a small shared section holds
// its process id, so that a window titled "Pelko" of another program (or of
// a copy for another data folder) is not taken for it.
struct SingleInstance::Held {
    std::wstring name;
    HANDLE mutex = nullptr;
    HANDLE owner = nullptr;
};

QString InstanceKey(const QString& folder) {
    // Windows names are blind to case: so is the key.
    const QString path = QDir::toNativeSeparators(QDir(folder).canonicalPath()).toCaseFolded();
    return QString::fromLatin1(
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), held_(std::make_unique<Held>()) {
    held_->name = (QStringLiteral("Local\\Pelko-") + InstanceKey(folder)).toStdWString();
}

SingleInstance::~SingleInstance() {
    if (held_->owner != nullptr) ::CloseHandle(held_->owner);
    if (held_->mutex != nullptr) ::CloseHandle(held_->mutex);
}

bool SingleInstance::claim() {
    error_.clear();
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, held_->name.c_str());
    if (mutex == nullptr) {
        error_ = QStringLiteral("Pelko cannot start: the mutex %1 cannot be created (error %2).")
                     .arg(QString::fromStdWString(held_->name))
                     .arg(::GetLastError());
        return false;
    }
    const std::wstring ownerName = held_->name + L"-owner";
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
        held_->mutex = mutex;
        held_->owner = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD),
                                            ownerName.c_str());
        if (held_->owner != nullptr) {
            if (void* view = ::MapViewOfFile(held_->owner, FILE_MAP_WRITE, 0, 0, sizeof(DWORD))) {
                *static_cast<DWORD*>(view) = ::GetCurrentProcessId();
                ::UnmapViewOfFile(view);
            }
        }
        return true;
    }
    ::CloseHandle(mutex);
    // This copy gives up the title, so that no window of its own is the one
    // found by it.
    QGuiApplication::setApplicationDisplayName(QStringLiteral("PelkoX"));
    DWORD running = 0;
    if (const HANDLE owner = ::OpenFileMappingW(FILE_MAP_READ, FALSE, ownerName.c_str())) {
        if (const void* view = ::MapViewOfFile(owner, FILE_MAP_READ, 0, 0, sizeof(DWORD))) {
            running = *static_cast<const DWORD*>(view);
            ::UnmapViewOfFile(view);
        }
        ::CloseHandle(owner);
    }
    // The running copy may have started a moment ago and not yet show its
    // window: try for a few seconds.
    const QDeadlineTimer deadline(3000);
    do {
        if (const HWND window = FindRunningWindow(running)) {
            ::ShowWindow(window, SW_RESTORE);
            ::ShowWindow(window, SW_SHOWNORMAL);
            ::SetForegroundWindow(window);
            return false;
        }
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    error_ = QStringLiteral("Pelko cannot start: a copy of it is running (process %1) but shows no window.")
                 .arg(running);
    return false;
}

}  // namespace pelko::ui
