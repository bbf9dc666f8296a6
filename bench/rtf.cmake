# RTF reader benchmarks: in-memory documents/s and MB/s (Google Benchmark),
# and a batch converter that rtf/compare.sh times against pandoc and
# LibreOffice on the same files.
add_executable(plainora_rtf_benchmark ${CMAKE_CURRENT_LIST_DIR}/rtf/RtfBenchmark.cpp)
target_link_libraries(plainora_rtf_benchmark PRIVATE plainora_engine benchmark::benchmark)

add_executable(plainora_convert_files ${CMAKE_CURRENT_LIST_DIR}/rtf/ConvertFiles.cpp)
target_link_libraries(plainora_convert_files PRIVATE plainora_engine)
