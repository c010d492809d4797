# make_objects: models the two embedded LWO2 objects and writes them (assets/data/tube.lwo,
# assets/data/knot.lwo are its output).
add_executable(make_objects
  ${CMAKE_CURRENT_LIST_DIR}/make_objects.cpp
  ${CMAKE_CURRENT_LIST_DIR}/make_objects_lwo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/make_objects_shapes.cpp)
target_include_directories(make_objects PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(make_objects PRIVATE demo_lwo_reader demo_cli)
