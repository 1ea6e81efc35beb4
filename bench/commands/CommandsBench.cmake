# The script-command benchmarks' Windows program (run under Wine by scripts/bench, section
# "commands"). Not part of the default build: scripts/bench builds it, and the sleeper helper
# of the launch tests, on demand.
add_executable(commands_bench EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/bench/commands/CommandsBench.cpp)
target_link_libraries(commands_bench PRIVATE quillmere_windows)
target_include_directories(commands_bench PRIVATE ${CMAKE_SOURCE_DIR}/bench)
target_link_options(commands_bench PRIVATE ${QUILLMERE_LINK_OPTIONS})
