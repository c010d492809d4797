# make-icon: reduces a frame of the show to the application's icon (packaging/desktop.cmake runs
# it at build time). Reads and writes PNG itself; links no GL.
add_executable(make-icon ${CMAKE_CURRENT_LIST_DIR}/make_icon.cpp)
target_link_libraries(make-icon PRIVATE demo_cli PNG::PNG)
