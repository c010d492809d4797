add_executable(bench_fast_forward ${CMAKE_CURRENT_LIST_DIR}/bench_fast_forward.cpp)
target_link_libraries(bench_fast_forward PRIVATE demo_app)
# It times the capture binary too, from the build folder where the soundtrack lies.
target_compile_definitions(bench_fast_forward PRIVATE
  DEMO_CAPTURE_PATH="$<TARGET_FILE:invitation-capture>" DEMO_BUILD_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(bench_fast_forward invitation-capture soundtrack)
