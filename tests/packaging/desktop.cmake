# The menu entry, its metainfo and its icons, as an install lays them out.
add_test(NAME desktop_entry
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/desktop.sh ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
set_tests_properties(desktop_entry PROPERTIES LABELS tool TIMEOUT 120)
