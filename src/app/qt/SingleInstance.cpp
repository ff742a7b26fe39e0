#include "app/qt/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace pelko::ui {

InstancePaths InstancePathsFor(const QString& folder) {
    // Qt checks the runtime folder (ours, mode 0700) and falls back to
    // /tmp/runtime-<user> on the same terms; empty when neither will do.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) return {};
    const QByteArray hash =
        QCryptographicHash::hash(QDir(folder).canonicalPath().toUtf8(), QCryptographicHash::Sha1).toHex();
    const QString base = QDir(runtime).filePath(QStringLiteral("pelko-") + QString::fromLatin1(hash.left(16)));
    return {base + QStringLiteral(".lock"), base + QStringLiteral(".socket")};
}

SingleInstance::SingleInstance(const QString& folder, QObject* parent)
    : QObject(parent), paths_(InstancePathsFor(folder)) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            socket->deleteLater();
            if (handler_) handler_();
        }
    });
}

bool SingleInstance::claim() {
    error_.clear();
    if (paths_.lockFile.isEmpty()) {
        error_ = QStringLiteral("Pelko cannot start: there is no usable runtime folder for this user "
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
            QLocalSocket socket;
            socket.connectToServer(paths_.socket);
            if (socket.waitForConnected(500)) return false;
            QThread::msleep(100);
        } while (!deadline.hasExpired());
        qint64 pid = 0;
        QString host, app;
        if (lock_->getLockInfo(&pid, &host, &app)) {
            error_ = QStringLiteral("Pelko cannot start: a copy of it is running (process %1) but does not answer.")
                         .arg(pid);
        } else {
            error_ = QStringLiteral("Pelko cannot start: the lock file %1 cannot be used.")
                         .arg(QDir::toNativeSeparators(paths_.lockFile));
        }
        return false;
    }
    QLocalServer::removeServer(paths_.socket);  // a socket left by a crashed copy
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(paths_.socket)) {
        error_ = QStringLiteral("Pelko cannot start: it cannot listen on %1 (%2).")
                     .arg(QDir::toNativeSeparators(paths_.socket), server_.errorString());
        return false;
    }
    return true;
}

}  // namespace pelko::ui
