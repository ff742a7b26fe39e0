#include "base/ActionGate.h"

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
}

void ActionGate::release() {
    busy_ = false;
    if (pendingClose_) {
        auto close = std::move(pendingClose_);
        pendingClose_ = nullptr;
        close();
    }
}

}  // namespace pelko
