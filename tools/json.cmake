# The JSON text every file tool prints (one escaper, one number format).
add_library(demo_json STATIC ${CMAKE_CURRENT_LIST_DIR}/json_text.cpp)
target_include_directories(demo_json PUBLIC ${PROJECT_SOURCE_DIR})
