# Phone relay: Tarnik's relay against stunnel as a TLS-PSK forwarder, to one echo console.
add_executable(bench_relay ${CMAKE_CURRENT_SOURCE_DIR}/bench_relay.cpp)
target_link_libraries(bench_relay PRIVATE tarnik_link tarnik_test_support tarnik_bench_reporting)
