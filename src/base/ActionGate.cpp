#include "base/ActionGate.h"

#include <utility>

namespace pelko {

std::optional<ActionGate::Pass> ActionGate::tryEnter() {
    if (busy_) return std::nullopt;
    busy_ = true;
    return std::optional<Pass>(std::in_place, *this);
}

void ActionGate::requestClose(std::function<void()> close) {
    if (!busy_) {
        close();
        return;
    }
    pendingClose_ = std::move(close);
    if (cancel_) std::exchange(cancel_, nullptr)();
}

void ActionGate::release() {
    busy_ = false;
    cancel_ = nullptr;
    if (pendingClose_) {
        auto close = std::move(pendingClose_);
        pendingClose_ = nullptr;
        close();
    }
}

}  // namespace pelko
