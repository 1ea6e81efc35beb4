# The demo's programs (scripts/demo builds them with quillmere.exe):
#   release-notes.exe  the sample software's program that an update script starts and waits for
#   demo_driver.exe    plays the user when there is no display, through the end-to-end UiDriver
add_executable(demo_release_notes WIN32 ${CMAKE_SOURCE_DIR}/demo/src/ReleaseNotes.cpp)
target_include_directories(demo_release_notes PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(demo_release_notes PRIVATE ${QUILLMERE_WIN32_DEFINITIONS})
target_link_options(demo_release_notes PRIVATE -static -s)
set_target_properties(demo_release_notes PROPERTIES OUTPUT_NAME release-notes)

add_executable(demo_driver ${CMAKE_SOURCE_DIR}/tests/e2e/DemoDriver.cpp)
target_link_libraries(demo_driver PRIVATE quillmere_ui_driver)
target_compile_definitions(demo_driver PRIVATE ${QUILLMERE_WIN32_DEFINITIONS})
target_link_options(demo_driver PRIVATE -static)
