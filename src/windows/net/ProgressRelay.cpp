#include "windows/net/ProgressRelay.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

namespace {

std::uint64_t Pack(std::int32_t maximum, std::int32_t position) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(maximum)) << 32 |
           static_cast<std::uint32_t>(position);
}

std::int32_t MaximumOf(std::uint64_t state) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(state >> 32));
}

std::int32_t PositionOf(std::uint64_t state) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(state));
}

std::int32_t BarPosition(HWND bar) {
    return static_cast<std::int32_t>(SendMessageA(bar, PBM_GETPOS, 0, 0));
}

}  // namespace

ProgressRelay::ProgressRelay(HWND bar)
    : bar_(bar), changed_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    if (bar_ != nullptr) {
        shownPosition_ = BarPosition(bar_);
        RECT client{};
        GetClientRect(bar_, &client);
        columns_ = std::max<std::int64_t>(1, client.right - client.left);
    }
    state_ = Pack(0, shownPosition_);
}

std::int32_t ProgressRelay::Position() noexcept {
    return PositionOf(state_);
}

void ProgressRelay::SetMaximum(std::int32_t maximum) noexcept {
    Record(maximum, std::clamp(Position(), 0, maximum));
}

void ProgressRelay::SetPosition(std::int32_t position) noexcept {
    Record(MaximumOf(state_), position);
}

void ProgressRelay::ProcessPendingEvents() {
    if (abandoned_) {
        throw std::runtime_error("The download was abandoned.");
    }
}

void ProgressRelay::Record(std::int32_t maximum, std::int32_t position) noexcept {
    state_ = Pack(maximum, position);
    if (changed_) {
        SetEvent(changed_.Get());
    }
}

void ProgressRelay::Show() {
    const std::uint64_t state = state_;
    if (bar_ == nullptr) {
        return;
    }
    const std::int32_t maximum = MaximumOf(state);
    if (maximum != 0 && maximum != shownMaximum_) {
        SendMessageA(bar_, PBM_SETRANGE32, 0, static_cast<LPARAM>(maximum));
        shownMaximum_ = maximum;
        shownPosition_ = BarPosition(bar_);  // a new range may have moved it
    }
    const std::int32_t position = PositionOf(state);
    if (position != shownPosition_) {
        SendMessageA(bar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
        shownPosition_ = position;
    }
}
