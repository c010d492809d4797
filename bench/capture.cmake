add_executable(bench_capture ${CMAKE_CURRENT_LIST_DIR}/bench_capture.cpp)
target_link_libraries(bench_capture PRIVATE demo_app)
# It times the capture binary too, from the build folder where the soundtrack lies.
target_compile_definitions(bench_capture PRIVATE
  DEMO_CAPTURE_PATH="$<TARGET_FILE:invitation-capture>" DEMO_BUILD_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(bench_capture invitation-capture soundtrack)
