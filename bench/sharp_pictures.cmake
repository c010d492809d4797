add_executable(bench_sharp_pictures ${CMAKE_CURRENT_LIST_DIR}/bench_sharp_pictures.cpp)
target_link_libraries(bench_sharp_pictures PRIVATE demo_app)
# It reads the larger pictures from the build folder, where the build paints them.
target_compile_definitions(bench_sharp_pictures PRIVATE DEMO_BUILD_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(bench_sharp_pictures picture_sets)
