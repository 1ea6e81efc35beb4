# What keeps a release build's bytes the same from folder to folder and day to day. The Windows
# side adds what only its linker and import libraries need (src/windows/Windows.cmake).

# No folder of this build in what the compiler writes (__FILE__, file names in debug
# information): the source folder reads ".", the build folder (inside it, so named after it:
# the later map wins) "build". Only in the release configurations, so that a debugger still
# finds the sources of a Debug build by their own paths.
foreach(map "${CMAKE_SOURCE_DIR}=." "${CMAKE_BINARY_DIR}=build")
    add_compile_options($<$<CONFIG:Release,MinSizeRel>:-ffile-prefix-map=${map}>)
endforeach()

# Static archives without time stamps, owners or modes (ar's D), whatever ar's default.
foreach(language C CXX)
    set(CMAKE_${language}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${language}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${language}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()
