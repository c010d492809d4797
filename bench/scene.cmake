# bench_scene: scene reading and motion baking (Google Benchmark), no GL needed.
add_executable(bench_scene ${CMAKE_CURRENT_LIST_DIR}/bench_scene.cpp)
target_link_libraries(bench_scene PRIVATE demo_scene benchmark::benchmark)
