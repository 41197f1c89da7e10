# Fixture catalog decoding against a plain zlib inflate of the same resource, and mode
# search over a synthetic catalog of 500,000 modes.
add_executable(bench_catalog ${CMAKE_CURRENT_SOURCE_DIR}/bench_catalog.cpp)
target_link_libraries(bench_catalog PRIVATE tarnik_model tarnik_catalog_writer tarnik_bench_reporting ZLIB::ZLIB)
target_compile_definitions(bench_catalog PRIVATE
  TARNIK_SHIPPED_FIXTURE_CATALOG="${PROJECT_SOURCE_DIR}/resources/FixtureCatalog.tfcat")
