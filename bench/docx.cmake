# .docx benchmarks: documents/s and MB of document XML/s of the reader, the
# library candidates (expat or pugixml, zlib or libdeflate), and a driver the
# comparison script times against other tools. Data: bench/make_docx_bench_data.py.
set(PLAINORA_DOCX_BENCH_DATA "${CMAKE_BINARY_DIR}/bench-data/docx" CACHE PATH "Where the .docx benchmark documents are")

add_executable(docx_benchmark DocxBenchmark.cpp)
target_link_libraries(docx_benchmark PRIVATE plainora_engine benchmark::benchmark)
target_compile_definitions(docx_benchmark PRIVATE PLAINORA_DOCX_BENCH_DATA="${PLAINORA_DOCX_BENCH_DATA}")

add_executable(docx_extract DocxExtract.cpp)
target_link_libraries(docx_extract PRIVATE plainora_engine)

# The library candidates, measured where they are installed (dev packages).
find_package(pugixml QUIET)
pkg_check_modules(LIBDEFLATE QUIET IMPORTED_TARGET libdeflate)
if(pugixml_FOUND AND LIBDEFLATE_FOUND)
  add_executable(docx_library_benchmark DocxLibraryBenchmark.cpp)
  target_link_libraries(docx_library_benchmark PRIVATE benchmark::benchmark pugixml::pugixml PkgConfig::LIBDEFLATE
                        PkgConfig::LIBZIP EXPAT::EXPAT ZLIB::ZLIB)
  target_compile_definitions(docx_library_benchmark PRIVATE PLAINORA_DOCX_BENCH_DATA="${PLAINORA_DOCX_BENCH_DATA}")
else()
  message(STATUS "pugixml or libdeflate missing: docx_library_benchmark not built (scripts/install-deps.sh --dev)")
endif()
