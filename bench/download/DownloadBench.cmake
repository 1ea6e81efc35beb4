# The download benchmark's Windows program (run under Wine by scripts/bench). Not part of the
# default build: scripts/bench builds it on demand.
add_executable(download_bench EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/download/DownloadBench.cpp
                              ${CMAKE_SOURCE_DIR}/bench/download/DownloadBench.rc)
# wininet itself for the bare loop's functions that the program does not use.
# quillmere_version: the build folder's manifest for the resource script.
target_link_libraries(download_bench PRIVATE quillmere_windows quillmere_version psapi wininet)
target_link_options(download_bench PRIVATE ${QUILLMERE_LINK_OPTIONS})
