#include "windows/system/DllSearch.h"

#include <windows.h>
#include <delayimp.h>

// The stand-in below takes no arguments whatever the function it replaces: sound where the
// caller removes the arguments, as in the x64 calling convention, and nowhere else.
static_assert(sizeof(void*) == 8, "the delay-load stand-in needs the x64 calling convention");

namespace {

// Stands in for a delay-loaded function that cannot be had. Every function the program
// delay-loads reports failure with 0, so the caller sees an ordinary failure: the download
// fails, the About box shows version 0.0.0.0.
INT_PTR WINAPI UnavailableFunction() {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return 0;
}

// Stands in for a function of bcrypt.dll that cannot be had. CNG functions report failure
// with a non-zero NTSTATUS and success with 0: the stand-in above would make a signature check
// pass, so this one returns STATUS_NOT_FOUND.
INT_PTR WINAPI UnavailableCngFunction() {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return static_cast<INT_PTR>(0xC0000225);  // read by the caller as a 32-bit NTSTATUS
}

// Stands in for a function of RSTRTMGR.dll that cannot be had. Restart Manager functions return
// an error code, ERROR_SUCCESS (0) on success: the common stand-in would make RmStartSession
// succeed without a session, so this one returns ERROR_PROC_NOT_FOUND.
INT_PTR WINAPI UnavailableRestartManagerFunction() {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return ERROR_PROC_NOT_FOUND;
}

// Called by the delay-load helper before it would load a DLL itself with LoadLibraryA.
FARPROC WINAPI OnDelayLoadNotice(unsigned notice, PDelayLoadInfo info) {
    if (notice != dliNotePreLoadLibrary) {
        return nullptr;  // the helper's own way
    }
    // From System32 whatever the process's search path says.
    HMODULE module = LoadLibraryExA(info->szDll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) {
        // The program file exports nothing. Handing it over as the DLL keeps the helper from
        // searching on its own and from raising an exception, which would end the program:
        // each function is looked up there in vain and bound to UnavailableFunction below.
        module = GetModuleHandleA(nullptr);
    }
    return reinterpret_cast<FARPROC>(module);
}

// Called by the delay-load helper when a function cannot be found; anything but a function
// to call instead would make it raise an exception.
FARPROC WINAPI OnDelayLoadFailure(unsigned notice, PDelayLoadInfo info) {
    if (notice != dliFailGetProc) {
        return nullptr;
    }
    if (lstrcmpiA(info->szDll, "bcrypt.dll") == 0) {
        return UnavailableCngFunction;
    }
    if (lstrcmpiA(info->szDll, "RSTRTMGR.dll") == 0) {
        return UnavailableRestartManagerFunction;
    }
    return UnavailableFunction;
}

}  // namespace

// The helper's hooks, found by name (decltype keeps the header's own qualifiers). They live in
// the file of RestrictDllSearchToSystem32, so the program that calls it links them in.
extern "C" {
decltype(__pfnDliNotifyHook2) __pfnDliNotifyHook2 = OnDelayLoadNotice;
decltype(__pfnDliFailureHook2) __pfnDliFailureHook2 = OnDelayLoadFailure;
}

void RestrictDllSearchToSystem32() {
    // Covers LoadLibrary calls without a search flag, ours and the system DLLs' own.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The empty text takes the current folder out of the classic search order as well, should
    // any code search that way.
    SetDllDirectoryA("");
}
