# bench_lwo: LWO2 load speed (parse, polygon build with UV maps, surfaces) on generated files
# of growing size; MB/s should stay flat as the file grows (linear time).
add_executable(bench_lwo ${CMAKE_CURRENT_LIST_DIR}/bench_lwo.cpp)
target_link_libraries(bench_lwo PRIVATE bench_lwo_grids benchmark::benchmark)
