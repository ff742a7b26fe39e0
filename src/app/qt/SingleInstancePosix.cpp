#include <fcntl.h>
#include <sys/file.h>
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

#include "app/qt/SingleInstance.h"

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

// Locks the file at `path`, made when missing: its descriptor, or -1 with
// errno (EWOULDBLOCK: another process holds it). A copy that ends removes
// the file while it holds it: a lock taken on a file no longer at the path
// does not count, and is taken again on the new one.
int TakeLock(const QByteArray& path) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) return -1;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int failure = errno;
            ::close(fd);
            errno = failure;
            return -1;
        }
        struct stat held {};
        struct stat atPath {};
        if (::fstat(fd, &held) == 0 && ::stat(path.constData(), &atPath) == 0 &&
            held.st_dev == atPath.st_dev && held.st_ino == atPath.st_ino) {
            return fd;
        }
        ::close(fd);
    }
    errno = EWOULDBLOCK;
    return -1;
}

// The process id the holder wrote into the lock file, or 0.
qint64 Holder(const QString& lockFile) {
    QFile file(lockFile);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    return file.readLine(32).trimmed().toLongLong();
}

}  // namespace

struct SingleInstance::Held {
    InstancePaths paths;
    int lock = -1;       // the lock file's descriptor while this copy holds it
    int listening = -1;  // the socket's descriptor while this copy listens
    QSocketNotifier* notifier = nullptr;
};

QString InstanceKey(const QString& folder) {
    return QString::fromLatin1(
        QCryptographicHash::hash(QDir(folder).canonicalPath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16));
}

InstancePaths InstancePathsFor(const QString& folder) {
    // Qt checks the runtime folder (ours, mode 0700) and falls back to
    // /tmp/runtime-<user> on the same terms; empty when neither will do.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) return {};
    const QString base = QDir(runtime).filePath(QStringLiteral("pelko-") + InstanceKey(folder));
    return {base + QStringLiteral(".lock"), base + QStringLiteral(".socket")};
}

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), held_(std::make_unique<Held>()) {
    held_->paths = InstancePathsFor(folder);
}

SingleInstance::~SingleInstance() {
    if (held_->listening >= 0) {
        delete held_->notifier;
        ::close(held_->listening);
        ::unlink(QFile::encodeName(held_->paths.socket).constData());
    }
    if (held_->lock >= 0) {
        ::unlink(QFile::encodeName(held_->paths.lockFile).constData());
        ::close(held_->lock);
    }
}

bool SingleInstance::claim() {
    error_.clear();
    if (held_->paths.lockFile.isEmpty()) {
        error_ = QStringLiteral(
            "Pelko cannot start: there is no usable runtime folder for this user "
            "(XDG_RUNTIME_DIR).");
        return false;
    }
    held_->lock = TakeLock(QFile::encodeName(held_->paths.lockFile));
    if (held_->lock < 0) {
        if (errno != EWOULDBLOCK) {
            error_ = QStringLiteral("Pelko cannot start: the lock file %1 cannot be created.")
                         .arg(QDir::toNativeSeparators(held_->paths.lockFile));
            return false;
        }
        // The running copy may have taken the lock a moment ago and not yet
        // listen: try for a few seconds.
        const QDeadlineTimer deadline(3000);
        do {
            if (Knock(held_->paths.socket)) return false;
            QThread::msleep(100);
        } while (!deadline.hasExpired());
        if (const qint64 pid = Holder(held_->paths.lockFile); pid > 0) {
            error_ = QStringLiteral(
                         "Pelko cannot start: a copy of it is running (process %1) but does not answer.")
                         .arg(pid);
        } else {
            error_ = QStringLiteral("Pelko cannot start: the lock file %1 cannot be used.")
                         .arg(QDir::toNativeSeparators(held_->paths.lockFile));
        }
        return false;
    }
    // Who holds the lock, for the message of a copy that finds it taken and
    // gets no answer (without it, that message only lacks the process id).
    const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
    const bool noted =
        ::ftruncate(held_->lock, 0) == 0 &&
        ::write(held_->lock, pid.constData(), static_cast<std::size_t>(pid.size())) == pid.size();
    static_cast<void>(noted);
    // A socket left by a crashed copy goes; only this user may connect (the
    // runtime folder is the user's alone as well).
    const QByteArray socketPath = QFile::encodeName(held_->paths.socket);
    ::unlink(socketPath.constData());
    sockaddr_un address;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const bool listening = fd >= 0 && Address(held_->paths.socket, address) &&
                           ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                           ::chmod(socketPath.constData(), S_IRUSR | S_IWUSR) == 0 && ::listen(fd, 8) == 0;
    const int failure = errno;
    if (!listening) {
        if (fd >= 0) ::close(fd);
        error_ = QStringLiteral("Pelko cannot start: it cannot listen on %1 (%2).")
                     .arg(QDir::toNativeSeparators(held_->paths.socket),
                          QString::fromLocal8Bit(std::strerror(failure)));
        return false;
    }
    held_->listening = fd;
    held_->notifier = new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read, this);
    connect(held_->notifier, &QSocketNotifier::activated, this, [this] {
        for (int copy; (copy = ::accept4(held_->listening, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
            ::close(copy);
            if (handler_) handler_();
        }
    });
    return true;
}

}  // namespace pelko::ui
