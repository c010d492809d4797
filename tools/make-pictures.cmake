# make-pictures: paints and encodes the eleven embedded pictures (assets/data/pic*.jpg).
# The encoder is shared with the tests that need JPEG files of their own.
add_library(jpeg_encoder STATIC ${CMAKE_CURRENT_SOURCE_DIR}/jpeg_encoder.cpp)
target_include_directories(jpeg_encoder PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(jpeg_encoder PUBLIC JPEG::JPEG)

add_executable(make-pictures ${CMAKE_CURRENT_SOURCE_DIR}/make_pictures.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/make_pictures_art.cpp)
target_include_directories(make-pictures PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(make-pictures PRIVATE demo_texture jpeg_encoder demo_cli)

# The same pictures at 2 and 4 times their size, for shows rendered larger than 800x600: made by
# the build into the build folder (pictures-2x/, pictures-4x/) beside the soundtrack, installed
# beside it, and read only by a show drawn at that size (app/picture_sets.h).
set(DEMO_PICTURE_SETS)
foreach(scale 2 4)
  set(folder ${CMAKE_BINARY_DIR}/pictures-${scale}x)
  set(stamp ${folder}/pic11.jpg)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND make-pictures --scale ${scale} ${folder}
    DEPENDS make-pictures
    COMMENT "Painting the pictures at ${scale}x"
    VERBATIM)
  list(APPEND DEMO_PICTURE_SETS ${stamp})
endforeach()
if(DEMO_FUZZ)
  add_custom_target(picture_sets DEPENDS ${DEMO_PICTURE_SETS})
else()
  add_custom_target(picture_sets ALL DEPENDS ${DEMO_PICTURE_SETS})
endif()
