// One running copy per user and folder. The first copy holds a lock on a
// file (flock: the system lets it go when the copy ends, however it ends) and
// listens on a local socket, both in the user's runtime folder (so no other
// user can take or block them); a second copy finds the lock taken, asks the
// first copy over the socket to come to the front, and ends. The socket is a
// plain Unix-domain stream socket watched by the event loop (a second copy
// connects, nothing is sent): Qt Network is not loaded at start for it.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace pelko::ui {

// Where the copy running for `folder` keeps its lock and its socket: the
// user's runtime folder ($XDG_RUNTIME_DIR), names after a hash of the
// folder. Empty when the user has no usable runtime folder.
struct InstancePaths {
    QString lockFile;
    QString socket;
};
InstancePaths InstancePathsFor(const QString& folder);

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only copy. Otherwise either the running copy has
    // been asked to come to the front (error() is empty) or this copy cannot
    // tell and must not start (error() says why); this copy should end.
    bool claim();
    QString error() const { return error_; }
    // Called in the running copy when a second copy starts.
    void onSecondCopy(std::function<void()> handler) { handler_ = std::move(handler); }

private:
    InstancePaths paths_;
    QString error_;
    int lock_ = -1;       // the lock file's descriptor while this copy holds it
    int listening_ = -1;  // the socket's descriptor while this copy listens
    QSocketNotifier* notifier_ = nullptr;
    std::function<void()> handler_;
};

}  // namespace pelko::ui
