#pragma once
// Holds off the end of the user's session (log-off, shutdown, restart) for as long as it lives,
// so that a half-done update is not cut off. The window must also answer WM_QUERYENDSESSION with
// FALSE meanwhile; this registers the reason Windows shows beside the window in its list of
// programs that keep the session from ending.

#include <windows.h>

#include <string>

class SessionEndBlock {
public:
    // Registers `reason` (text in the ANSI code page) for `window`. Where the system keeps no
    // reasons (Wine), nothing is registered and nothing is reported: the window's answer alone
    // holds the session.
    SessionEndBlock(HWND window, const std::string& reason);
    // Withdraws the reason.
    ~SessionEndBlock();
    SessionEndBlock(const SessionEndBlock&) = delete;
    SessionEndBlock& operator=(const SessionEndBlock&) = delete;

private:
    HWND window_;
    bool registered_ = false;
};
