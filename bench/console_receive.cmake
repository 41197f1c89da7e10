# Messages per second one OSCManager takes in over TCP, against a plain frame splitter.
add_executable(bench_console_receive ${CMAKE_CURRENT_SOURCE_DIR}/bench_console_receive.cpp)
target_link_libraries(bench_console_receive PRIVATE tarnik_link tarnik_bench_reporting Qt6::Network)
