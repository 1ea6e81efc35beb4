# End-to-end suites: the real quillmere.exe under Wine + Xvfb.

# UiDriver: starts quillmere.exe in a folder of its own and drives it from outside, as a user
# would. Linked into every end-to-end suite (and into the demo's driver).
add_library(quillmere_ui_driver STATIC ${CMAKE_SOURCE_DIR}/tests/e2e/UiDriver.cpp)
target_include_directories(quillmere_ui_driver PUBLIC ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(quillmere_ui_driver PUBLIC quillmere_win_test_support user32 gdi32)
quillmere_wine_path(quillmere_e2e_source_dir "${CMAKE_SOURCE_DIR}")
quillmere_wine_path(quillmere_e2e_binary_dir "${CMAKE_BINARY_DIR}")
target_compile_definitions(quillmere_ui_driver PRIVATE
    QUILLMERE_SOURCE_DIR="${quillmere_e2e_source_dir}" QUILLMERE_BINARY_DIR="${quillmere_e2e_binary_dir}")

quillmere_add_test(e2e_startup_tests
    SOURCES tests/e2e/StartUpTest.cpp
    LIBRARIES quillmere_ui_driver)
add_dependencies(e2e_startup_tests quillmere)
