# Fuzz harnesses: libFuzzer programs over the portable core, built by the "fuzz" preset with
# clang, AddressSanitizer and UBSan. scripts/fuzz runs them for as long as asked; scripts/test
# runs each for a short bounded time. A harness named <name> builds fuzz_<name> and starts from
# the seed corpus in tests/fuzz/corpus/<name>/.

if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz harnesses need clang's libFuzzer: use the \"fuzz\" preset")
endif()

# The core and the harnesses are instrumented for coverage and checked by both sanitizers; an
# undefined behaviour stops the input like a crash. Only the harness programs link libFuzzer's
# own main.
set(QUILLMERE_FUZZ_SANITIZERS address,undefined)
target_compile_options(quillmere_core PUBLIC
    -fsanitize=fuzzer-no-link,${QUILLMERE_FUZZ_SANITIZERS}
    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
target_link_options(quillmere_core PUBLIC -fsanitize=${QUILLMERE_FUZZ_SANITIZERS})

# quillmere_add_fuzzer(<name> SOURCES <files>... [LIBRARIES <targets>...])
# Builds fuzz_<name> from SOURCES (one of them defines LLVMFuzzerTestOneInput), with src/ and
# tests/ on the include path, linked with LIBRARIES (usually quillmere_core).
function(quillmere_add_fuzzer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(fuzz_${name} ${ARG_SOURCES})
    target_include_directories(fuzz_${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBRARIES})
    target_compile_options(fuzz_${name} PRIVATE
        -fsanitize=fuzzer,${QUILLMERE_FUZZ_SANITIZERS} -fno-sanitize-recover=undefined)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer,${QUILLMERE_FUZZ_SANITIZERS})
endfunction()

# Whole update checks on the in-memory platform: scripts, served files and answers fuzzed.
quillmere_add_fuzzer(interpreter
    SOURCES tests/fuzz/InterpreterFuzz.cpp tests/core/FakeWindow.cpp tests/core/FakeUpdater.cpp
    LIBRARIES quillmere_core)
# Version texts (dots, the numeric test, the comparison) against a reference model.
quillmere_add_fuzzer(versions
    SOURCES tests/fuzz/VersionNumbersFuzz.cpp
    LIBRARIES quillmere_core)
# Placeholder replacement and the readable length against a reference model.
quillmere_add_fuzzer(placeholders
    SOURCES tests/fuzz/PlaceholdersFuzz.cpp
    LIBRARIES quillmere_core)
# The download's logic against a scripted server, disk and bar, failures at any step.
quillmere_add_fuzzer(download
    SOURCES tests/fuzz/DownloadFuzz.cpp tests/core/FakeUpdater.cpp tests/core/FakeWindow.cpp
    LIBRARIES quillmere_core)
# Signed updates' parsers (base64, DER, times, pins, KEY lines, signature and key files) and the
# feed check over a stand-in crypto.
quillmere_add_fuzzer(signing
    SOURCES tests/fuzz/SigningFuzz.cpp
    LIBRARIES quillmere_core)
# quillmere-publish lint over a run of up to four files: findings in their files, ASCII output.
quillmere_add_fuzzer(lint
    SOURCES tests/fuzz/LintFuzz.cpp src/publisher/common/CommandLine.cpp src/publisher/lint/LintArguments.cpp
            src/publisher/lint/LintCommand.cpp src/publisher/lint/LintFile.cpp src/publisher/lint/LintFinding.cpp
            src/publisher/lint/LintPaths.cpp src/publisher/lint/LintReport.cpp src/publisher/lint/LintVersions.cpp
            src/publisher/common/ToolFiles.cpp
    LIBRARIES quillmere_core)
