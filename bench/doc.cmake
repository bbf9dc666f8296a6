# Word 97-2003 reader: documents/s and MB/s on small, medium and large .doc
# files (bench_doc), and a converter driver (doc_extract) that
# doc/compare_doc.sh times against antiword, catdoc and wvText.
if(NOT DEFINED PLAINORA_CORPUS_DIR)
  get_filename_component(_bench_corpus "${PROJECT_SOURCE_DIR}/../shared/corpus" ABSOLUTE)
  set(PLAINORA_CORPUS_DIR "${_bench_corpus}" CACHE PATH "The shared public test corpus")
endif()

add_executable(bench_doc ${CMAKE_CURRENT_SOURCE_DIR}/doc/DocBenchmark.cpp)
target_link_libraries(bench_doc PRIVATE plainora_engine benchmark::benchmark)
target_compile_definitions(bench_doc PRIVATE
  PLAINORA_FIXTURE_DIR="${PROJECT_SOURCE_DIR}/tests/data/doc"
  PLAINORA_CORPUS_DIR="${PLAINORA_CORPUS_DIR}")

add_executable(doc_extract ${CMAKE_CURRENT_SOURCE_DIR}/doc/DocExtract.cpp)
target_link_libraries(doc_extract PRIVATE plainora_engine)
