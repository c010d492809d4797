# lws-info: reads a LightWave scene (objects included) and says what it holds, optionally as
# one JSON object. lws-play: plays a scene in a window, or renders frames to PNG files.
add_executable(lws-info ${CMAKE_CURRENT_LIST_DIR}/lws_info.cpp)
target_link_libraries(lws-info PRIVATE demo_scene demo_cli demo_json)
add_executable(lws-play ${CMAKE_CURRENT_LIST_DIR}/lws_play.cpp ${CMAKE_CURRENT_LIST_DIR}/object_framing.cpp)
target_link_libraries(lws-play PRIVATE demo_scene demo_texture demo_platform demo_files demo_cli demo_json
  PkgConfig::SDL2)
