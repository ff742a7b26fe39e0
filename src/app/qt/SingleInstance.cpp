#include "app/qt/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

namespace pelko::ui {

QString InstanceKey(const QString& programFolder) {
    const QByteArray hash =
        QCryptographicHash::hash(QDir(programFolder).canonicalPath().toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("pelko-") + QString::fromLatin1(hash.left(16));
}

SingleInstance::SingleInstance(const QString& programFolder, QObject* parent)
    : QObject(parent), key_(InstanceKey(programFolder)) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            socket->deleteLater();
            if (handler_) handler_();
        }
    });
}

bool SingleInstance::claim() {
    lock_ = std::make_unique<QLockFile>(QDir::temp().filePath(key_ + QStringLiteral(".lock")));
    lock_->setStaleLockTime(0);  // stale only when its process is gone
    if (!lock_->tryLock(0)) {
        QLocalSocket socket;
        socket.connectToServer(key_);
        socket.waitForConnected(500);
        return false;
    }
    QLocalServer::removeServer(key_);  // a socket left by a crashed copy
    server_.listen(key_);
    return true;
}

}  // namespace pelko::ui
