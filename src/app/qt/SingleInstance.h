// One running copy per program folder. The first copy holds a lock file and
// listens on a local socket; a second copy finds the lock taken, asks the
// first copy over the socket to come to the front, and ends.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <functional>
#include <memory>

namespace pelko::ui {

// The name of the lock and the socket for one program folder.
QString InstanceKey(const QString& programFolder);

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& programFolder, QObject* parent = nullptr);

    // True when this is the only copy. Otherwise the running copy has been
    // asked to come to the front and this copy should end.
    bool claim();
    // Called in the running copy when a second copy starts.
    void onSecondCopy(std::function<void()> handler) { handler_ = std::move(handler); }

private:
    QString key_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
    std::function<void()> handler_;
};

}  // namespace pelko::ui
