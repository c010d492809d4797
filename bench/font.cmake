# Outline font build, scroller text capture and tube effect draw, timed on the software renderer.
# Needs the tests' headless GL context helper.
if(TARGET demo_test_support)
  add_executable(bench_font ${CMAKE_CURRENT_LIST_DIR}/bench_font.cpp)
  target_link_libraries(bench_font PRIVATE demo_fx demo_test_support benchmark::benchmark)
  target_compile_definitions(bench_font PRIVATE DEMO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()
