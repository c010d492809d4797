# make-pictures: paints and encodes the eleven embedded pictures (assets/data/pic*.jpg).
add_executable(make-pictures ${CMAKE_CURRENT_SOURCE_DIR}/make_pictures.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/make_pictures_art.cpp)
target_include_directories(make-pictures PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(make-pictures PRIVATE demo_texture JPEG::JPEG)
