// What the user sees of a running move-mode send besides the caption: the
// running move's image counts from the archive's pending C-MOVE responses
// (PS3.4 C.4.2.1.4.2), and a way to cancel the send.
//
// The sender owns one MoveMonitor per send and hands it to every C-MOVE as
// its observer. The archive's responses reach it on the thread that runs the
// move; the progress view reads it on the window's thread.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>

#include "dicom/Toolkit.h"

namespace pelko::send {

class MoveMonitor;

// What one move of a send carries: a study, or one series of a study.
struct SendUnit {
    const char* title;  // "Study"
    const char* one;    // "study"
    const char* many;   // "studies"
};
inline constexpr SendUnit kStudyUnit{"Study", "study", "studies"};
inline constexpr SendUnit kSeriesUnit{"Series", "series", "series"};

// The progress window as the sender drives it. Every call but CountsArrived
// comes on the window's thread.
class SendProgress {
public:
    virtual ~SendProgress() = default;
    // A move-mode send begins; `monitor` lives until Finished.
    virtual void Started(MoveMonitor& monitor) = 0;
    // The next C-MOVE is about to go out: the monitor shows its study.
    virtual void MoveStarted() = 0;
    // A pending response has been merged into the monitor. Called on the
    // thread that runs the move.
    virtual void CountsArrived() = 0;
    // The send has ended, whatever its outcome.
    virtual void Finished() = 0;
};

// The running move as the window shows it.
struct MoveSnapshot {
    std::string destination;
    int study = 0;          // 1-based, of `studies`
    int studies = 0;        // the selected studies
    bool answered = false;  // a pending response has arrived for this move
    // Completed, failed and warning never go down during a move, even when
    // an archive's responses do.
    dicom::MoveCounts counts;
    // Completed + failed + warning + remaining: the highest seen; unknown
    // while no response carried Remaining.
    std::optional<int> total;
    bool cancelling = false;
    SendUnit unit = kStudyUnit;
};

class MoveMonitor : public dicom::MoveObserver {
public:
    explicit MoveMonitor(SendProgress* view = nullptr) : view_(view) {}

    // --- the window's thread
    // What the moves of this send carry; studies unless set.
    void setUnit(SendUnit unit);
    // The next move: its counts start afresh.
    void MoveStarting(const std::string& destination, int study, int studies);
    // Whether a move is still to come (at the start: whether the send has
    // any). After the last move's final response a cancel changes nothing.
    void setMovesAhead(bool ahead) { accepting_ = ahead; }
    // The move has returned with its final counts, which the window shows
    // like those of a pending response.
    void MoveEnded(const dicom::MoveCounts& final, bool movesAhead) {
        setMovesAhead(movesAhead);
        Pending(final);
    }
    // The user's "Cancel". True when it took effect: the first press while
    // the send still has a move running or to come.
    bool RequestCancel();
    bool cancelled() const { return cancel_.load(); }
    MoveSnapshot snapshot() const;

    // --- the thread that runs the move
    void Pending(const dicom::MoveCounts& counts) override;
    bool CancelRequested() const override { return cancel_.load(); }

private:
    SendProgress* view_;
    mutable std::mutex mutex_;
    MoveSnapshot state_;
    std::atomic<bool> cancel_{false};
    bool accepting_ = true;
};

// The window's lines for a snapshot; `waited` is the time since the move
// began.
struct ProgressText {
    std::string study;     // "Study 2 of 3 to DEST" ("Series 2 of 3 to DEST")
    std::string images;    // "12 of 40 images sent", or "Waiting for the archive (5 s)"
    std::string problems;  // "1 failed, 2 with warnings"; empty when both are 0
    int done = 0;          // the bar: completed + failed + warning ...
    int total = 0;         // ... of this; 0 while the total is unknown
    std::string state;     // "Cancelling..." once cancelled, else empty
};

inline constexpr const char* kCancelling = "Cancelling...";

ProgressText DescribeProgress(const MoveSnapshot& move, std::chrono::seconds waited);

}  // namespace pelko::send
