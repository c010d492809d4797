# make-pictures: paints and encodes the eleven embedded pictures (assets/data/pic*.jpg).
# The encoder is shared with the tests that need JPEG files of their own.
add_library(jpeg_encoder STATIC ${CMAKE_CURRENT_SOURCE_DIR}/jpeg_encoder.cpp)
target_include_directories(jpeg_encoder PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(jpeg_encoder PUBLIC JPEG::JPEG)

add_executable(make-pictures ${CMAKE_CURRENT_SOURCE_DIR}/make_pictures.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/make_pictures_art.cpp)
target_include_directories(make-pictures PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(make-pictures PRIVATE demo_texture jpeg_encoder demo_cli)
