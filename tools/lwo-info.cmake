# lwo-info: loads LightWave objects (LWOB, LWO2, LWO3) with the engine's reader and mesh model and says what they hold
# (a readable summary, or one JSON object per file with --json). Needs no GL.
add_executable(lwo-info ${CMAKE_CURRENT_LIST_DIR}/lwo_info.cpp)
target_link_libraries(lwo-info PRIVATE demo_lwo_reader demo_cli demo_json)
