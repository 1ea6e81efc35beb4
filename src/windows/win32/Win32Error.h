#pragma once
// A failed Win32 call as an exception whose text is the system's own description.

#include <windows.h>

#include <stdexcept>
#include <string>

class Win32Error : public std::runtime_error {
public:
    // Captures the calling thread's last error: construct it right after the failing call.
    Win32Error() : Win32Error(GetLastError()) {}
    explicit Win32Error(DWORD code) : std::runtime_error(SystemMessage(code)) {}

    // The system's text for `code`, without its trailing line break, in the ANSI code page.
    static std::string SystemMessage(DWORD code);
};
