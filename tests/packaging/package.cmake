# The Debian package this build makes: tests/packaging/package.sh.
add_test(NAME debian_package
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/package.sh ${CMAKE_BINARY_DIR} ${PROJECT_VERSION}
    ${PROJECT_SOURCE_DIR}/assets/data/knot.lwo)
set_tests_properties(debian_package PROPERTIES TIMEOUT 600 LABELS "slow;tool")
