# bench_texture: loading the eleven embedded pictures as start-up does (scratch file, decode,
# mipmapped upload), median milliseconds split into decoding and mipmap building. Plain main.
# Uploads through the tests' offscreen GL context, so it needs the test support library.
if(TARGET demo_test_support AND TARGET demo_assets)
  add_executable(bench_texture ${CMAKE_CURRENT_LIST_DIR}/bench_texture.cpp)
  target_link_libraries(bench_texture PRIVATE demo_texture demo_assets demo_test_support)
endif()
