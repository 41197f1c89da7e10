# OSC codec against liblo and oscpack on console-like traffic.
pkg_check_modules(LIBLO REQUIRED IMPORTED_TARGET liblo)
find_path(OSCPACK_INCLUDE_DIR osc/OscReceivedElements.h PATH_SUFFIXES oscpack REQUIRED)
find_library(OSCPACK_LIBRARY oscpack REQUIRED)
add_executable(bench_osc_codec ${CMAKE_CURRENT_SOURCE_DIR}/bench_osc_codec.cpp)
target_include_directories(bench_osc_codec PRIVATE ${OSCPACK_INCLUDE_DIR})
target_link_libraries(bench_osc_codec PRIVATE tarnik_link tarnik_bench_reporting PkgConfig::LIBLO ${OSCPACK_LIBRARY})
