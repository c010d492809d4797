# bench_fx: time of one call of each effect at 800x600 (plain main printing a table).
# Draws through the tests' offscreen GL context, so it needs the test support library.
if(TARGET demo_test_support AND TARGET demo_fx)
  add_executable(bench_fx ${CMAKE_CURRENT_LIST_DIR}/bench_fx.cpp)
  target_link_libraries(bench_fx PRIVATE demo_fx demo_texture demo_test_support)
  target_compile_definitions(bench_fx PRIVATE DEMO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()
