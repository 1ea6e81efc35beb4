# The transaction benchmarks' Windows program (run under Wine by scripts/bench, section
# "transaction"). Not part of the default build: scripts/bench builds it on demand.
add_executable(transaction_bench EXCLUDE_FROM_ALL
    ${CMAKE_SOURCE_DIR}/bench/transaction/TransactionBench.cpp)
target_link_libraries(transaction_bench PRIVATE quillmere_windows)
target_include_directories(transaction_bench PRIVATE ${CMAKE_SOURCE_DIR}/bench)
target_link_options(transaction_bench PRIVATE ${QUILLMERE_LINK_OPTIONS})
