# bench_scene_v5_bake: reading and baking a generated version 5 scene (N items x 9 channels,
# keys over S seconds, every span shape and behaviour), in time per channel-second.
add_executable(bench_scene_v5_bake ${CMAKE_CURRENT_LIST_DIR}/bench_scene_v5_bake.cpp)
target_link_libraries(bench_scene_v5_bake PRIVATE demo_scene benchmark::benchmark)
