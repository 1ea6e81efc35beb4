# Test suites. Each suite is one executable registered as one CTest test: a Wine process
# start costs up to a second, so cases are grouped, not run one process each.
#   tests/core     the portable core, natively, with sanitizers
#   tests/windows  the Win32 parts under Wine (real files, WinINet against the fixture server)
#   tests/e2e      the real quillmere.exe under Wine + Xvfb, driven from outside
# scripts/test-env provides Xvfb, the Wine prefix and the fixture server for a run.

set(gtest_disable_pthreads ${WIN32} CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# Wine sees the Linux root as drive Z:.
function(quillmere_wine_path out unix_path)
    string(REPLACE "/" "\\\\" windows_path "${unix_path}")
    set(${out} "Z:${windows_path}" PARENT_SCOPE)
endfunction()

# RUNNER: a script that runs the test program (under Wine) in a setting of its own.
function(quillmere_add_test name)
    cmake_parse_arguments(ARG "" "RUNNER" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    if(WIN32)
        target_link_options(${name} PRIVATE -static)
        quillmere_wine_path(source_dir "${CMAKE_SOURCE_DIR}")
        quillmere_wine_path(binary_dir "${CMAKE_BINARY_DIR}")
        target_compile_definitions(${name} PRIVATE
            QUILLMERE_SOURCE_DIR="${source_dir}" QUILLMERE_BINARY_DIR="${binary_dir}")
    endif()
    if(ARG_RUNNER)
        add_test(NAME ${name} COMMAND ${ARG_RUNNER} $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

if(NOT WIN32)
    quillmere_add_test(unit_tests
        SOURCES
            tests/core/FakeWindow.cpp
            tests/core/FakeUpdater.cpp
            tests/core/ScriptBufferTest.cpp
            tests/core/ScriptFieldsTest.cpp
            tests/core/CommandTableTest.cpp
            tests/core/InterpreterTest.cpp
            tests/core/PlaceholdersTest.cpp
            tests/core/StartUpTest.cpp
            tests/core/UpdateOfferTest.cpp
            tests/core/UpdateCheckRunTest.cpp
            tests/core/LaunchTest.cpp
            tests/core/FileSystemCommandsTest.cpp
            tests/core/UpdateTransactionTest.cpp
            tests/core/ProgramCommandsTest.cpp
            tests/core/HostileInputTest.cpp
            tests/core/AllocatedBytes.cpp
            tests/core/FileDownloadTest.cpp
            tests/core/UrlReferenceTest.cpp
            tests/core/CryptoEncodingsTest.cpp
            tests/core/SignedUpdatesTest.cpp
            tests/publisher/LintTest.cpp
        LIBRARIES quillmere_core quillmere_publisher)
    # The OpenSSL backend; the same cases run against CNG under Wine (win_crypto_tests).
    quillmere_add_test(crypto_tests
        SOURCES tests/crypto/CryptoBackendTest.cpp
        LIBRARIES quillmere_posix_crypto)
    # The publisher's tool's commands and file calls on real files, over the OpenSSL backend and
    # POSIX (the same file cases run over Win32 under Wine: win_tool_files_tests), and simulate's
    # portable parts (the Windows wiring is tested end to end under Wine).
    quillmere_add_test(publisher_tests
        SOURCES tests/publisher/ReleaseTest.cpp tests/publisher/MappedTransportTest.cpp
                tests/publisher/ToolFileSystemTest.cpp tests/publisher/PublisherToolTest.cpp
        LIBRARIES quillmere_posix_publisher quillmere_version)
else()
    include(${CMAKE_SOURCE_DIR}/tests/windows/WindowsTests.cmake)
    include(${CMAKE_SOURCE_DIR}/tests/e2e/E2eTests.cmake)
endif()
