#include "app/qt/SingleInstance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <cstring>

namespace pelko::ui {
namespace {

// The address of `path`; false when it does not fit.
bool Address(const QString& path, sockaddr_un& address) {
    const QByteArray bytes = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (bytes.size() >= static_cast<qsizetype>(sizeof address.sun_path)) return false;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

// True when a copy listens on `path` and took the connection.
bool Knock(const QString& path) {
    sockaddr_un address;
    if (!Address(path, address)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool answered = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return answered;
}

}  // namespace

InstancePaths InstancePathsFor(const QString& folder) {
    // Qt checks the runtime folder (ours, mode 0700) and falls back to
    // /tmp/runtime-<user> on the same terms; empty when neither will do.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) return {};
    const QByteArray hash =
        QCryptographicHash::hash(QDir(folder).canonicalPath().toUtf8(), QCryptographicHash::Sha1).toHex();
    const QString base =
        QDir(runtime).filePath(QStringLiteral("pelko-") + QString::fromLatin1(hash.left(16)));
    return {base + QStringLiteral(".lock"), base + QStringLiteral(".socket")};
}

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), paths_(InstancePathsFor(folder)) {}

SingleInstance::~SingleInstance() {
    if (listening_ < 0) return;
    delete notifier_;
    ::close(listening_);
    ::unlink(QFile::encodeName(paths_.socket).constData());
}

bool SingleInstance::claim() {
    error_.clear();
    if (paths_.lockFile.isEmpty()) {
        error_ = QStringLiteral(
            "Pelko cannot start: there is no usable runtime folder for this user "
            "(XDG_RUNTIME_DIR).");
        return false;
    }
    lock_ = std::make_unique<QLockFile>(paths_.lockFile);
    lock_->setStaleLockTime(0);  // stale only when its process is gone; then taken over
    if (!lock_->tryLock(0)) {
        if (lock_->error() != QLockFile::LockFailedError) {
            error_ = QStringLiteral("Pelko cannot start: the lock file %1 cannot be created.")
                         .arg(QDir::toNativeSeparators(paths_.lockFile));
            return false;
        }
        // The running copy may have taken the lock a moment ago and not yet
        // listen: try for a few seconds.
        const QDeadlineTimer deadline(3000);
        do {
            if (Knock(paths_.socket)) return false;
            QThread::msleep(100);
        } while (!deadline.hasExpired());
        qint64 pid = 0;
        QString host, app;
        if (lock_->getLockInfo(&pid, &host, &app)) {
            error_ = QStringLiteral(
                         "Pelko cannot start: a copy of it is running (process %1) but does not answer.")
                         .arg(pid);
        } else {
            error_ = QStringLiteral("Pelko cannot start: the lock file %1 cannot be used.")
                         .arg(QDir::toNativeSeparators(paths_.lockFile));
        }
        return false;
    }
    // A socket left by a crashed copy goes; only this user may connect (the
    // runtime folder is the user's alone as well).
    const QByteArray socketPath = QFile::encodeName(paths_.socket);
    ::unlink(socketPath.constData());
    sockaddr_un address;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const bool listening = fd >= 0 && Address(paths_.socket, address) &&
                           ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                           ::chmod(socketPath.constData(), S_IRUSR | S_IWUSR) == 0 && ::listen(fd, 8) == 0;
    const int failure = errno;
    if (!listening) {
        if (fd >= 0) ::close(fd);
        error_ =
            QStringLiteral("Pelko cannot start: it cannot listen on %1 (%2).")
                .arg(QDir::toNativeSeparators(paths_.socket), QString::fromLocal8Bit(std::strerror(failure)));
        return false;
    }
    listening_ = fd;
    notifier_ = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        for (int copy; (copy = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
            ::close(copy);
            if (handler_) handler_();
        }
    });
    return true;
}

}  // namespace pelko::ui
