# Win32 suites, run under Wine. One executable per area; cases are grouped inside.
add_library(quillmere_win_test_support STATIC ${CMAKE_SOURCE_DIR}/tests/win/TempFolder.cpp)
target_include_directories(quillmere_win_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(quillmere_win_test_support PUBLIC ${QUILLMERE_WIN32_DEFINITIONS})

quillmere_add_test(win_text_files_tests
    SOURCES tests/win/TextFilesTest.cpp
    LIBRARIES quillmere_win32 quillmere_win_test_support)

quillmere_add_test(win_download_tests
    SOURCES tests/win/DownloadFileTest.cpp
    LIBRARIES quillmere_win32 quillmere_win_test_support)
