# quillmere-publish, the publisher's tool: its commands are portable (src/publisher/, over the
# crypto seam, the signing extension and the tool's file calls); each platform's entry point
# brings a backend: CNG and Win32 files on Windows (src/windows/publisher/, which also wires
# simulate to the updater's Windows side), OpenSSL's libcrypto and POSIX files on Linux
# (src/posix/publisher/, over src/posix/crypto/).

add_library(quillmere_publisher STATIC
    src/publisher/common/AtomicWrite.cpp
    src/publisher/common/CommandLine.cpp
    src/publisher/keys/FeedSigning.cpp
    src/publisher/keys/Hash.cpp
    src/publisher/keys/Keygen.cpp
    src/publisher/keys/Sign.cpp
    src/publisher/keys/Verify.cpp
    src/publisher/simulate/FolderSnapshot.cpp
    src/publisher/lint/LintArguments.cpp
    src/publisher/lint/LintCommand.cpp
    src/publisher/lint/LintFile.cpp
    src/publisher/lint/LintFinding.cpp
    src/publisher/lint/LintPaths.cpp
    src/publisher/lint/LintReport.cpp
    src/publisher/lint/LintVersions.cpp
    src/publisher/simulate/MappedTransport.cpp
    src/publisher/PublisherTool.cpp
    src/publisher/simulate/RecordingUpdaterWindow.cpp
    src/publisher/release/Release.cpp
    src/publisher/release/ReleaseFeed.cpp
    src/publisher/release/ReleaseLines.cpp
    src/publisher/release/ReleasePins.cpp
    src/publisher/simulate/SimulateCommand.cpp
    src/publisher/simulate/SimulatedDownloader.cpp
    src/publisher/common/ToolFiles.cpp
    src/publisher/common/UrlMap.cpp
)
target_link_libraries(quillmere_publisher PUBLIC quillmere_core PRIVATE quillmere_version)

if(WIN32)
    # The tool's Windows side (src/windows/publisher/): its file calls, and simulate, which runs
    # the updater's Windows side; a library so that the Wine suites test it too.
    add_library(quillmere_windows_publisher STATIC
        src/windows/publisher/OwnerOnlySecurity.cpp
        src/windows/publisher/Simulation.cpp
        src/windows/publisher/WindowsToolFileSystem.cpp)
    target_link_libraries(quillmere_windows_publisher PUBLIC quillmere_publisher quillmere_windows
        advapi32)
    add_executable(quillmere_publish src/windows/publisher/PublisherMain.cpp)
    target_link_libraries(quillmere_publish PRIVATE quillmere_windows_publisher)
    target_link_options(quillmere_publish PRIVATE ${QUILLMERE_LINK_OPTIONS} -s)
else()
    # The Linux side, the twin of src/windows/: the seam's cryptography over OpenSSL
    # (src/posix/crypto/), and the tool's POSIX file calls and entry point (src/posix/publisher/).
    find_package(OpenSSL 3 REQUIRED COMPONENTS Crypto)
    add_library(quillmere_posix_crypto STATIC src/posix/crypto/OpenSslCrypto.cpp)
    target_link_libraries(quillmere_posix_crypto PUBLIC quillmere_core OpenSSL::Crypto)
    add_library(quillmere_posix_publisher STATIC src/posix/publisher/PosixToolFileSystem.cpp)
    target_link_libraries(quillmere_posix_publisher PUBLIC quillmere_publisher
        quillmere_posix_crypto)
    add_executable(quillmere_publish src/posix/publisher/PublisherMain.cpp)
    target_link_libraries(quillmere_publish PRIVATE quillmere_posix_publisher)
endif()
set_target_properties(quillmere_publish PROPERTIES OUTPUT_NAME quillmere-publish)

if(WIN32)
    # The signature check's benchmark over CNG (built on demand by scripts/bench signature).
    add_executable(signature_bench EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/signature/SignatureBench.cpp)
    target_link_libraries(signature_bench PRIVATE quillmere_publisher quillmere_windows)
    target_link_options(signature_bench PRIVATE ${QUILLMERE_LINK_OPTIONS})
endif()

if(QUILLMERE_TESTS)
    # The tool against openssl as the other side (natively directly, the .exe under Wine).
    if(WIN32)
        add_test(NAME publisher_openssl_roundtrip
            COMMAND ${CMAKE_SOURCE_DIR}/tests/publisher/openssl-roundtrip.sh
                    wine $<TARGET_FILE:quillmere_publish>)
        # simulate on the demo's application and served updates, in the test environment.
        add_test(NAME publisher_simulate_demo
            COMMAND ${CMAKE_SOURCE_DIR}/tests/publisher/simulate-demo.sh ${CMAKE_SOURCE_DIR}
                    $<TARGET_FILE:demo_release_notes> wine $<TARGET_FILE:quillmere_publish>)
        add_test(NAME publisher_imports
            COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports ${CMAKE_OBJDUMP}
                    $<TARGET_FILE:quillmere_publish>)
    else()
        add_test(NAME publisher_openssl_roundtrip
            COMMAND ${CMAKE_SOURCE_DIR}/tests/publisher/openssl-roundtrip.sh
                    $<TARGET_FILE:quillmere_publish>)
        # The demo's files as published pass lint --strict.
        add_test(NAME publisher_lint_demo
            COMMAND ${CMAKE_SOURCE_DIR}/tests/publisher/lint-demo.sh ${CMAKE_SOURCE_DIR}
                    $<TARGET_FILE:quillmere_publish>)
    endif()
endif()
