add_executable(bench_show ${CMAKE_CURRENT_LIST_DIR}/bench_show.cpp)
target_link_libraries(bench_show PRIVATE demo_app)
