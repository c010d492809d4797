# bench_envelope_eval: evaluating an envelope at any time, per span shape and for times outside
# the keys; reports the cost of one sample and of one channel-second at 30 frames/s.
add_executable(bench_envelope_eval ${CMAKE_CURRENT_LIST_DIR}/bench_envelope_eval.cpp)
target_link_libraries(bench_envelope_eval PRIVATE demo_scene benchmark::benchmark)
