// Keeps actions from running inside one another.
//
// Long loops (filling the grid, sending, rebuilding the node buttons,
// saving the marks, "Mark all") let pending events run, so a click on
// "Search" or "Send", a menu command or a close request can arrive in the
// middle of them. Such an action asks the gate first: while another action
// holds it, the new one is refused. A close request is deferred instead and
// carried out when the running action ends.
#pragma once

#include <functional>
#include <optional>

namespace pelko {

class ActionGate {
public:
    class Pass {
    public:
        explicit Pass(ActionGate& gate) : gate_(&gate) {}
        Pass(Pass&& other) noexcept : gate_(other.gate_) { other.gate_ = nullptr; }
        Pass& operator=(Pass&&) = delete;
        Pass(const Pass&) = delete;
        ~Pass() {
            if (gate_) gate_->release();
        }

    private:
        ActionGate* gate_;
    };

    // A pass while no other action runs; nullopt otherwise.
    [[nodiscard]] std::optional<Pass> tryEnter();
    bool busy() const { return busy_; }

    // Runs `close` now when idle, otherwise once the running action ends;
    // the running action is asked to stop first (its cancel, if it set one):
    // a search or a send that never ends would keep the program open.
    void requestClose(std::function<void()> close);
    // How the running action stops early; dropped when the action ends.
    void setCancel(std::function<void()> cancel) { cancel_ = std::move(cancel); }
    bool closePending() const { return static_cast<bool>(pendingClose_); }

private:
    void release();

    bool busy_ = false;
    std::function<void()> pendingClose_;
    std::function<void()> cancel_;
};

}  // namespace pelko
