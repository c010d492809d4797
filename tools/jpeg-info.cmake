# jpeg-info: decodes JPEG files with the engine's own decoder and says what they hold and how
# they decode (a readable summary, or one JSON object per file with --json); can write the
# decoded pictures as PNG. Links no GL.
add_executable(jpeg-info ${CMAKE_CURRENT_LIST_DIR}/jpeg_info.cpp)
target_link_libraries(jpeg-info PRIVATE demo_pictures demo_cli demo_json)
