# lw2gltf: LightWave objects and scenes out as glTF 2.0, written with Debian's tinygltf (a shared
# library there: its CMake package links it and brings what it needs).
find_package(TinyGLTF REQUIRED)
add_executable(lw2gltf ${CMAKE_CURRENT_LIST_DIR}/lw2gltf.cpp ${CMAKE_CURRENT_LIST_DIR}/gltf_export.cpp)
target_link_libraries(lw2gltf PRIVATE demo_scene demo_lwo_reader demo_files demo_cli demo_json TinyGLTF::TinyGLTF)
