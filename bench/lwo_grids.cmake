# Quad grids as LWOB, LWO2 and LWO3 files, shared by the object benches; make_bench_objects writes
# them to files of a chosen size for timing whole programs (bench/compare_with_peer.sh).
add_library(bench_lwo_grids STATIC ${CMAKE_CURRENT_LIST_DIR}/lwo_grids.cpp)
target_link_libraries(bench_lwo_grids PUBLIC demo_lwo_reader)
add_executable(make_bench_objects ${CMAKE_CURRENT_LIST_DIR}/make_bench_objects.cpp)
target_link_libraries(make_bench_objects PRIVATE bench_lwo_grids)
