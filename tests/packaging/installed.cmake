# The installed programs, used from elsewhere: tests/packaging/installed.sh.
add_test(NAME installed_programs
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/installed.sh ${CMAKE_BINARY_DIR} $<TARGET_FILE:invitation-capture>
    ${PROJECT_SOURCE_DIR}/tests/app/demo_end_to_end.sh)
set_tests_properties(installed_programs PROPERTIES TIMEOUT 300 LABELS "slow;tool;end-to-end")
