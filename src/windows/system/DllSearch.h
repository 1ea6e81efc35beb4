#pragma once
// Where the program's DLLs come from: System32, and nowhere else. An updater runs from a download
// folder, often elevated; a DLL planted beside it or in the current folder must never load.
//
// The loader binds a program's imports before WinMain, searching the program's own folder first
// for any DLL that is not one of the system's known DLLs. So quillmere.exe imports at start only
// what the system protects (known DLLs, and comctl32, which the manifest binds to the
// side-by-side common controls); VERSION.dll and WININET.dll are delay-loaded: bound at the first
// call of one of their functions, from System32 alone, by the hook in DllSearch.cpp.

// Restricts every later DLL search of the process, the program's own and that of the DLLs it
// loads, to System32, and takes the current folder out of the search. Call first thing in
// WinMain, before any delay-loaded function. A delay-loaded DLL that cannot be loaded from
// System32 (or lacks a function) does not end the program: each of its functions then fails as
// it would on its own, returning 0 (a null handle, FALSE, a size of 0), or an error code where 0
// means success (bcrypt's NTSTATUS, the Restart Manager's error codes).
void RestrictDllSearchToSystem32();
