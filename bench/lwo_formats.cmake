# bench_lwo_formats: load speed of the same quad grid saved as LWOB, LWO2 and LWO3 (one surface;
# LWO3's colour in a node graph), in bytes/s and polygons/s of the whole load.
add_executable(bench_lwo_formats ${CMAKE_CURRENT_LIST_DIR}/bench_lwo_formats.cpp)
target_link_libraries(bench_lwo_formats PRIVATE bench_lwo_grids benchmark::benchmark)
