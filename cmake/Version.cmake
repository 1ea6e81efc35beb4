# The version of project() reaches every file that shows it through files written into the build
# folder: a header (the resource script's version information, quillmere-publish --version, the
# tests that check them) and, on Windows, the manifest (src/windows/Windows.cmake).

set(QUILLMERE_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
# Windows versions have four parts; ours has three, the fourth is always 0.
set(QUILLMERE_VERSION_FOUR_PARTS ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0)
configure_file(${CMAKE_SOURCE_DIR}/cmake/QuillmereVersion.h.in
               ${QUILLMERE_GENERATED_DIR}/QuillmereVersion.h @ONLY)

add_library(quillmere_version INTERFACE)
target_include_directories(quillmere_version INTERFACE ${QUILLMERE_GENERATED_DIR})
