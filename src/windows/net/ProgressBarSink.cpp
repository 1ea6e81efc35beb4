// ProgressSink over a comctl32 progress bar counted in bytes (PBM_SETRANGE32, PBM_SETPOS).

#include "windows/net/ProgressBarSink.h"

#include <commctrl.h>

#include <algorithm>

std::int32_t ProgressBarSink::Position() noexcept {
    const HWND bar = progress_.progressBar;
    return bar == nullptr ? 0 : static_cast<std::int32_t>(SendMessageA(bar, PBM_GETPOS, 0, 0));
}

void ProgressBarSink::SetMaximum(std::int32_t maximum) noexcept {
    if (progress_.progressBar != nullptr) {
        SendMessageA(progress_.progressBar, PBM_SETRANGE32, 0, static_cast<LPARAM>(maximum));
    }
}

void ProgressBarSink::SetPosition(std::int32_t position) noexcept {
    if (progress_.progressBar != nullptr) {
        SendMessageA(progress_.progressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
}

std::int64_t ProgressBarSink::Columns() noexcept {
    RECT client{};
    if (progress_.progressBar != nullptr) {
        GetClientRect(progress_.progressBar, &client);
    }
    return std::max<std::int64_t>(1, client.right - client.left);
}

void ProgressBarSink::ProcessPendingEvents() {
    if (progress_.processPendingEvents) {
        progress_.processPendingEvents();
    }
}
