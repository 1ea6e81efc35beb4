#pragma once
// Move-only owners of Win32 handles: each closes its handle when it goes out of scope, on every
// way out. One template, one small traits struct per kind of handle.

#include <windows.h>
#include <bcrypt.h>
#include <restartmanager.h>
#include <wininet.h>

#include <utility>

template <typename Traits>
class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ~ScopedHandle() { Reset(); }

    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }

    Handle Get() const { return handle_; }
    bool IsValid() const { return handle_ != Traits::Invalid(); }
    explicit operator bool() const { return IsValid(); }

    Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
    void Reset(Handle handle = Traits::Invalid()) {
        if (IsValid()) {
            Traits::Close(handle_);
        }
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::Invalid();
};

// Files opened with CreateFileA: invalid is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
using FileHandle = ScopedHandle<FileHandleTraits>;

// Processes, threads, events: invalid is null.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
using KernelHandle = ScopedHandle<KernelHandleTraits>;

// Directory listings from FindFirstFileA.
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { FindClose(handle); }
};
using FindHandle = ScopedHandle<FindHandleTraits>;

// WinINet session and URL handles.
struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { InternetCloseHandle(handle); }
};
using InternetHandle = ScopedHandle<InternetHandleTraits>;

// GDI objects: fonts and bitmaps.
template <typename T>
struct GdiObjectTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { DeleteObject(handle); }
};
using FontHandle = ScopedHandle<GdiObjectTraits<HFONT>>;
using BitmapHandle = ScopedHandle<GdiObjectTraits<HBITMAP>>;

// Icons loaded with LoadImage (not shared ones).
struct IconHandleTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { DestroyIcon(handle); }
};
using IconHandle = ScopedHandle<IconHandleTraits>;

// Memory device contexts from CreateCompatibleDC.
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { DeleteDC(handle); }
};
using MemoryDcHandle = ScopedHandle<MemoryDcTraits>;

// The screen's device context from GetDC(nullptr).
struct ScreenDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { ReleaseDC(nullptr, handle); }
};
using ScreenDcHandle = ScopedHandle<ScreenDcTraits>;

// Windows that a function creates for its own use (not the ones the system destroys with
// their parent).
struct WindowHandleTraits {
    using Handle = HWND;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { DestroyWindow(handle); }
};
using WindowHandle = ScopedHandle<WindowHandleTraits>;

// CNG algorithm providers, keys and hashes (bcrypt).
struct AlgorithmHandleTraits {
    using Handle = BCRYPT_ALG_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { BCryptCloseAlgorithmProvider(handle, 0); }
};
using AlgorithmHandle = ScopedHandle<AlgorithmHandleTraits>;

struct KeyHandleTraits {
    using Handle = BCRYPT_KEY_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { BCryptDestroyKey(handle); }
};
using KeyHandle = ScopedHandle<KeyHandleTraits>;

struct HashHandleTraits {
    using Handle = BCRYPT_HASH_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { BCryptDestroyHash(handle); }
};
using HashHandle = ScopedHandle<HashHandleTraits>;

// Restart Manager sessions from RmStartSession. Session numbers start at 0, so the wrapper takes
// all bits set for none.
struct RestartManagerSessionTraits {
    using Handle = DWORD;
    static Handle Invalid() { return ~DWORD{0}; }
    static void Close(Handle handle) { RmEndSession(handle); }
};
using RestartManagerSession = ScopedHandle<RestartManagerSessionTraits>;

// Memory the system allocated with LocalAlloc for the caller to free (security descriptors
// made from SDDL text).
struct LocalMemoryTraits {
    using Handle = HLOCAL;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { LocalFree(handle); }
};
using LocalMemory = ScopedHandle<LocalMemoryTraits>;
