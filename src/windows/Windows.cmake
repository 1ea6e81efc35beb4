# The Windows side: everything that talks to Windows (the main window, the About box, WinINet,
# the file system, programs, INI files), implementing the core's seam; and the program itself.

set(QUILLMERE_WIN32_DEFINITIONS WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00 WINVER=0x0A00)

# Small, self-contained product: no unused sections, everything static, stripped. No time
# stamp in the PE header (ld writes the time of the link there otherwise, and the checksum
# follows it), so that two builds of one commit are the same bytes.
set(QUILLMERE_SIZE_OPTIONS -ffunction-sections -fdata-sections)
set(QUILLMERE_LINK_OPTIONS -static -Wl,--gc-sections -Wl,--no-insert-timestamp)

target_compile_definitions(quillmere_core PUBLIC ${QUILLMERE_WIN32_DEFINITIONS})
target_compile_options(quillmere_core PRIVATE ${QUILLMERE_SIZE_OPTIONS})

# DLLs that are not among the system's known DLLs are delay-loaded: bound at the first call of one
# of their functions, from System32 only (src/windows/system/DllSearch.h). A delay-load import
# library is made from a .def file listing the functions the program calls. dlltool names the
# library's members and symbols after the output path it is given: run in the library's folder
# with its bare name, so that no build folder's path is in them.
function(quillmere_delay_load_library target dll)
    set(definitions ${CMAKE_SOURCE_DIR}/src/windows/system/delay-load/${dll}.def)
    set(folder ${CMAKE_BINARY_DIR}/delay-load)
    set(library ${folder}/lib${dll}-delay.a)
    file(MAKE_DIRECTORY ${folder})
    add_custom_command(OUTPUT ${library}
        COMMAND ${CMAKE_DLLTOOL} --input-def ${definitions} --dllname ${dll}.dll
                --output-delaylib lib${dll}-delay.a
        WORKING_DIRECTORY ${folder}
        DEPENDS ${definitions}
        COMMENT "Delay-load import library for ${dll}.dll")
    add_custom_target(${target}_file DEPENDS ${library})
    add_library(${target} STATIC IMPORTED)
    set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${library})
    add_dependencies(${target} ${target}_file)
endfunction()
quillmere_delay_load_library(quillmere_delay_version VERSION)
quillmere_delay_load_library(quillmere_delay_wininet WININET)
# Not a known DLL (scripts/check-imports): delay-loaded from System32 like WININET.
quillmere_delay_load_library(quillmere_delay_bcrypt bcrypt)
# The Restart Manager, which names the programs holding a file open.
quillmere_delay_load_library(quillmere_delay_rstrtmgr RSTRTMGR)

add_library(quillmere_windows STATIC
    src/windows/win32/Win32Error.cpp
    src/windows/win32/AnsiText.cpp
    src/windows/win32/DpiScale.cpp
    src/windows/win32/MessageAwareWait.cpp
    src/windows/system/WindowsFileSystem.cpp
    src/windows/system/AppendOnlyWindowsFile.cpp
    src/windows/system/ProgramsUsingFile.cpp
    src/windows/system/Directories.cpp
    src/windows/system/LaunchExecutables.cpp
    src/windows/system/IniFiles.cpp
    src/windows/system/WindowsProgramHome.cpp
    src/windows/system/DllSearch.cpp
    src/windows/system/WindowsClock.cpp
    src/windows/system/ProcessWait.cpp
    src/windows/system/FolderGuard.cpp
    src/windows/system/FolderProbe.cpp
    src/windows/system/Elevation.cpp
    src/windows/system/WindowsLogFile.cpp
    src/windows/system/WindowsLaunchSystem.cpp
    src/windows/net/WinInetTransport.cpp
    src/windows/net/WindowsTemporaryFiles.cpp
    src/windows/net/ProgressRelay.cpp
    src/windows/net/DownloadFile.cpp
    src/windows/crypto/BackgroundSha256.cpp
    src/windows/crypto/CngCrypto.cpp
    src/windows/ui/Painting.cpp
    src/windows/ui/MainWindowLayout.cpp
    src/windows/ui/AboutBanner.cpp
    src/windows/ui/HelpAbout.cpp
    src/windows/ui/ProgramVersion.cpp
    src/windows/ui/SystemMenuHook.cpp
    src/windows/app/EventPump.cpp
    src/windows/app/HeadlessWindow.cpp
    src/windows/app/MainWindow.cpp
    src/windows/app/SessionEndBlock.cpp
    src/windows/app/WindowsPlatform.cpp
)
# Imported at start: known DLLs, and comctl32 (bound by the manifest to the side-by-side common
# controls); scripts/check-imports holds every build to that.
target_link_libraries(quillmere_windows PUBLIC quillmere_core comctl32 shell32 advapi32 gdi32
    user32 kernel32
    quillmere_delay_wininet quillmere_delay_version quillmere_delay_bcrypt
    quillmere_delay_rstrtmgr)
target_compile_options(quillmere_windows PRIVATE ${QUILLMERE_SIZE_OPTIONS})

# The manifest names the program's version: written next to the version header.
configure_file(${CMAKE_SOURCE_DIR}/res/quillmere.manifest.in
               ${QUILLMERE_GENERATED_DIR}/quillmere.manifest @ONLY)

add_executable(quillmere WIN32 src/windows/app/WinMain.cpp src/windows/app/TerminateHandler.cpp
    res/quillmere.rc)
target_link_libraries(quillmere PRIVATE quillmere_windows quillmere_version)
target_link_options(quillmere PRIVATE ${QUILLMERE_LINK_OPTIONS} -s)
set_target_properties(quillmere PROPERTIES OUTPUT_NAME quillmere)
# windres finds the artwork next to the resource script, the version header and the manifest
# in the build folder.
set_source_files_properties(res/quillmere.rc PROPERTIES
    OBJECT_DEPENDS "${QUILLMERE_GENERATED_DIR}/quillmere.manifest;${QUILLMERE_GENERATED_DIR}/QuillmereVersion.h;${CMAKE_SOURCE_DIR}/src/windows/ui/ResourceIds.h;${CMAKE_SOURCE_DIR}/res/art/quillmere.ico;${CMAKE_SOURCE_DIR}/res/art/logo53.bmp;${CMAKE_SOURCE_DIR}/res/art/logo66.bmp;${CMAKE_SOURCE_DIR}/res/art/logo80.bmp;${CMAKE_SOURCE_DIR}/res/art/logo106.bmp")

# The English language file always stands beside the program in the build folder, so that
# the program can be started straight from there.
add_custom_command(TARGET quillmere POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${CMAKE_SOURCE_DIR}/lang/quillmere.lng $<TARGET_FILE_DIR:quillmere>/quillmere.lng)

# The download benchmark (built on demand by scripts/bench).
include(${CMAKE_SOURCE_DIR}/bench/download/DownloadBench.cmake)

# The script-command benchmarks (built on demand by scripts/bench).
include(${CMAKE_SOURCE_DIR}/bench/commands/CommandsBench.cmake)
include(${CMAKE_SOURCE_DIR}/bench/transaction/TransactionBench.cmake)
