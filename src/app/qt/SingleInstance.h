// One running copy per user and data folder; one file per platform.
//
// POSIX (SingleInstancePosix.cpp): the first copy holds a lock on a file
// (flock: the system lets it go when the copy ends, however it ends) and
// listens on a local socket, both in the user's runtime folder (so no other
// user can take or block them); a second copy finds the lock taken, asks the
// first copy over the socket to come to the front, and ends. The socket is a
// plain Unix-domain stream socket watched by the event loop (a second copy
// connects, nothing is sent): Qt Network is not loaded at start for it.
//
// Windows (SingleInstanceWindows.cpp): the first copy holds a named mutex in
// the session's Local\ namespace, named after a hash of the data folder (the
// system lets it go when the copy ends); a second copy finds it taken,
// gives up the title "Pelko" (its own becomes "PelkoX"), finds the running
// copy's top-level window titled "Pelko", restores, shows and activates it,
// and ends.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace pelko::ui {

// POSIX: where the copy running for `folder` keeps its lock and its
// socket: the user's runtime folder ($XDG_RUNTIME_DIR), names after a hash of
// the folder. Empty when the user has no usable runtime folder.
struct InstancePaths {
    QString lockFile;
    QString socket;
};
InstancePaths InstancePathsFor(const QString& folder);

// The hash of `folder` that names its copy's lock (16 hex digits).
QString InstanceKey(const QString& folder);

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
    struct Held;  // what the platform's guard holds while this copy runs
    std::unique_ptr<Held> held_;
    QString error_;
    std::function<void()> handler_;
};

}  // namespace pelko::ui
