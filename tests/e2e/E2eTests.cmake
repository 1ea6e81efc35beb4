# End-to-end suites: the real quillmere.exe under Wine + Xvfb.

# UiDriver: starts quillmere.exe in a folder of its own and drives it from outside, as a user
# would. Linked into every end-to-end suite (and into the demo's driver).
add_library(quillmere_ui_driver STATIC ${CMAKE_SOURCE_DIR}/tests/e2e/UiDriver.cpp
    ${CMAKE_SOURCE_DIR}/tests/e2e/FolderSnapshot.cpp)
target_include_directories(quillmere_ui_driver PUBLIC ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(quillmere_ui_driver PUBLIC quillmere_win_test_support user32 gdi32)
quillmere_wine_path(quillmere_e2e_source_dir "${CMAKE_SOURCE_DIR}")
quillmere_wine_path(quillmere_e2e_binary_dir "${CMAKE_BINARY_DIR}")
target_compile_definitions(quillmere_ui_driver PRIVATE
    QUILLMERE_SOURCE_DIR="${quillmere_e2e_source_dir}" QUILLMERE_BINARY_DIR="${quillmere_e2e_binary_dir}")

# The program file itself: it imports at start only DLLs that Windows protects.
add_test(NAME quillmere_imports
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports ${CMAKE_OBJDUMP} $<TARGET_FILE:quillmere>)

# Its size: 400 KB at most, the promise made to publishers who ship it beside their program.
add_test(NAME quillmere_size
    COMMAND sh -c "size=$(stat -c %s \"$1\"); echo \"$size bytes\"; [ \"$size\" -le 409600 ]"
            quillmere_size $<TARGET_FILE:quillmere>)

quillmere_add_test(e2e_startup_tests
    SOURCES tests/e2e/StartUpTest.cpp
    LIBRARIES quillmere_ui_driver)
add_dependencies(e2e_startup_tests quillmere)

# The window as users see it: layout, painting, system menu, About box, resources, translations.
# The window probe is a DLL that the suite hooks into quillmere.exe to read its system menu and
# fonts. The suite runs at 96 DPI and again, each in a Wine prefix of its own, at 120, 144 and
# 192 DPI.
add_library(quillmere_window_probe SHARED ${CMAKE_SOURCE_DIR}/tests/e2e/WindowProbeHook.cpp)
target_include_directories(quillmere_window_probe PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(quillmere_window_probe PRIVATE ${QUILLMERE_WIN32_DEFINITIONS})
target_link_options(quillmere_window_probe PRIVATE -static)
set_target_properties(quillmere_window_probe PROPERTIES PREFIX "")
quillmere_add_test(e2e_window_tests
    SOURCES tests/e2e/WindowLayoutTest.cpp tests/e2e/WindowProbe.cpp
    LIBRARIES quillmere_ui_driver quillmere_version version)
add_dependencies(e2e_window_tests quillmere quillmere_window_probe)
foreach(dpi 120 144 192)
    add_test(NAME e2e_window_tests_${dpi}dpi
        COMMAND ${CMAKE_SOURCE_DIR}/tests/e2e/run-at-dpi ${dpi} $<TARGET_FILE:e2e_window_tests>
                --gtest_filter=MainWindowLayoutTest.*:AboutBoxTest.LayoutFrameAndPainting)
    set_tests_properties(e2e_window_tests_${dpi}dpi PROPERTIES TIMEOUT 600)
endforeach()

# The update check run and update scripts, against the fixture server and nginx. e2e_helper.exe is the
# program that the scripts' EXE lines start; planted.dll is the DLL that the DLL search cases
# plant beside the program under the names of DLLs it uses.
add_executable(e2e_helper WIN32 ${CMAKE_SOURCE_DIR}/tests/e2e/E2eHelper.cpp)
target_include_directories(e2e_helper PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_options(e2e_helper PRIVATE -static)
add_library(quillmere_planted_dll SHARED
    ${CMAKE_SOURCE_DIR}/tests/e2e/PlantedDll.cpp ${CMAKE_SOURCE_DIR}/tests/e2e/PlantedDll.def)
target_link_options(quillmere_planted_dll PRIVATE -static)
set_target_properties(quillmere_planted_dll PROPERTIES PREFIX "" OUTPUT_NAME planted)
quillmere_add_test(e2e_update_tests
    SOURCES tests/e2e/UpdateCheckTest.cpp tests/e2e/UpdateScriptTest.cpp tests/e2e/DllSearchTest.cpp
            tests/e2e/NetworkStallTest.cpp tests/e2e/NginxUpdateTest.cpp tests/e2e/RunningProgramTest.cpp
            tests/e2e/UpdateUndoTest.cpp
    LIBRARIES quillmere_ui_driver ws2_32)
add_dependencies(e2e_update_tests quillmere e2e_helper quillmere_planted_dll)

# The command line: /check, /update, /silent, /waitpid (with the launch tests' sleeper), /log,
# faulty switches, one Quillmere per folder, and a folder the user cannot write.
quillmere_add_test(e2e_command_line_tests
    SOURCES tests/e2e/CommandLineTest.cpp
    LIBRARIES quillmere_ui_driver)
add_dependencies(e2e_command_line_tests quillmere quillmere_test_sleeper)

# Signed updates with openssl as the publisher: its key, KEY line and signatures, made at test
# time by run-with-openssl-signer (a signature binds the URL, and the server's port is new in
# every test environment). The runner also runs the native Linux quillmere-publish's release
# on request: the native preset is built first (scripts/test does), or its path given here.
set(QUILLMERE_NATIVE_PUBLISH "${CMAKE_SOURCE_DIR}/build/native/quillmere-publish" CACHE FILEPATH
    "The native Linux quillmere-publish that the signed-update suite releases a feed with")
quillmere_add_test(e2e_signed_update_tests
    SOURCES tests/e2e/SignedUpdateTest.cpp
    LIBRARIES quillmere_ui_driver quillmere_windows
    RUNNER ${CMAKE_SOURCE_DIR}/tests/e2e/run-with-openssl-signer)
set_tests_properties(e2e_signed_update_tests PROPERTIES
    ENVIRONMENT "QUILLMERE_NATIVE_PUBLISH=${QUILLMERE_NATIVE_PUBLISH}")
add_dependencies(e2e_signed_update_tests quillmere)

# The release's zip as unzipped: its quillmere.exe with the sample files (scripts/package --check
# builds it and runs it on the unzipped folder; not a CTest test, as it needs that folder).
add_executable(e2e_package_tests EXCLUDE_FROM_ALL tests/e2e/PackageTest.cpp)
target_link_libraries(e2e_package_tests PRIVATE quillmere_ui_driver GTest::gtest_main)
target_link_options(e2e_package_tests PRIVATE -static)

# The demo's driver reuses UiDriver; the demo's programs are built alongside.
include(${CMAKE_SOURCE_DIR}/demo/Demo.cmake)
