# Win32 suites, run under Wine. One executable per area; cases are grouped inside.
# The suites' shared parts; the recording window is the core tests' (tests/core/FakeWindow.h).
add_library(quillmere_win_test_support STATIC ${CMAKE_SOURCE_DIR}/tests/windows/TempFolder.cpp
    ${CMAKE_SOURCE_DIR}/tests/windows/UnwritableFolder.cpp ${CMAKE_SOURCE_DIR}/tests/core/FakeWindow.cpp)
target_include_directories(quillmere_win_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(quillmere_win_test_support PRIVATE GTest::gtest)
target_compile_definitions(quillmere_win_test_support PUBLIC ${QUILLMERE_WIN32_DEFINITIONS})

quillmere_add_test(win_text_files_tests
    SOURCES tests/windows/TextFilesTest.cpp
    LIBRARIES quillmere_windows quillmere_win_test_support)

# wininet itself (after the program's delay-loaded one) for the cache's own functions.
quillmere_add_test(win_download_tests
    SOURCES tests/windows/DownloadFileTest.cpp
    LIBRARIES quillmere_windows quillmere_win_test_support wininet)

# The download tests' helper program: one download in a process of its own, to be killed.
add_executable(quillmere_test_downloader tests/windows/downloader.cpp)
set_target_properties(quillmere_test_downloader PROPERTIES OUTPUT_NAME downloader)
target_link_libraries(quillmere_test_downloader PRIVATE quillmere_windows)
target_link_options(quillmere_test_downloader PRIVATE -static)
add_dependencies(win_download_tests quillmere_test_downloader)

# The launch tests' helper program (also used by scripts/bench): sleeps, then writes a marker.
add_executable(quillmere_test_sleeper tests/windows/sleeper.cpp)
set_target_properties(quillmere_test_sleeper PROPERTIES OUTPUT_NAME sleeper)
target_link_options(quillmere_test_sleeper PRIVATE -static)

quillmere_add_test(win_file_system_tests
    SOURCES tests/windows/FileSystemTest.cpp tests/windows/ScriptHarness.cpp
    LIBRARIES quillmere_windows quillmere_win_test_support)

# The journal's calls of WindowsFileSystem on real files, a running program's among them.
quillmere_add_test(win_file_journal_tests
    SOURCES tests/windows/FileJournalCallsTest.cpp
    LIBRARIES quillmere_windows quillmere_win_test_support)
add_dependencies(win_file_journal_tests quillmere_test_sleeper)

quillmere_add_test(win_launch_tests
    SOURCES tests/windows/LaunchTest.cpp tests/windows/ScriptHarness.cpp
    LIBRARIES quillmere_windows quillmere_win_test_support)
add_dependencies(win_launch_tests quillmere_test_sleeper)

# The system-menu hook on a window of the test's own; version information and DPI scaling.
quillmere_add_test(win_window_parts_tests
    SOURCES tests/windows/SystemMenuHookTest.cpp tests/windows/WindowPartsTest.cpp
    LIBRARIES quillmere_windows quillmere_win_test_support quillmere_version)
add_dependencies(win_window_parts_tests quillmere)

# DownloadFile against nginx over TLS and through tinyproxy as the system's proxy.
quillmere_add_test(win_real_peer_tests
    SOURCES tests/windows/RealPeersTest.cpp tests/windows/ScriptHarness.cpp
    LIBRARIES quillmere_windows quillmere_win_test_support wininet)

# The test environment's helper (scripts/test-env): trusts the test certificate authority in the
# Wine prefix's Root store of the current user.
add_executable(quillmere_trust_test_ca tests/windows/trust_test_ca.cpp)
set_target_properties(quillmere_trust_test_ca PROPERTIES OUTPUT_NAME trust_test_ca)
target_link_libraries(quillmere_trust_test_ca PRIVATE crypt32)
target_link_options(quillmere_trust_test_ca PRIVATE -static)

# The CNG backend: the same cases as the native OpenSSL suite (crypto_tests).
quillmere_add_test(win_crypto_tests
    SOURCES tests/crypto/CryptoBackendTest.cpp
    LIBRARIES quillmere_windows quillmere_publisher quillmere_win_test_support)

# The publisher's tool's Win32 file calls: the same cases as the native publisher_tests' file
# cases (tests/publisher/ToolFileSystemTest.cpp), with the key file's access list.
quillmere_add_test(win_tool_files_tests
    SOURCES tests/publisher/ToolFileSystemTest.cpp
    LIBRARIES quillmere_windows_publisher quillmere_win_test_support)

# The launch's system calls: the folder's guard (across processes too), the wait for a process,
# the writability probe (a folder made unwritable on the Linux side), the log file, the elevated
# restart.
quillmere_add_test(win_launch_system_tests
    SOURCES tests/windows/LaunchSystemTest.cpp
    LIBRARIES quillmere_windows quillmere_win_test_support)
add_dependencies(win_launch_system_tests quillmere_test_sleeper)
