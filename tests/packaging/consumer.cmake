# The readers installed, moved, and used by a project of their own (tests/packaging/consumer/)
# through find_package and through pkg-config; every installed header on its own.
set(consumer_flags "")
if(DEMO_SANITIZE)
  # The archives then hold instrumented code: whatever links them needs the runtimes too.
  set(consumer_flags "-fsanitize=address,undefined")
endif()
add_test(NAME readers_consumer
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/consumer.sh ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR}
    $<TARGET_FILE:lwo-info> $<TARGET_FILE:jpeg-info> ${CMAKE_INSTALL_LIBDIR} ${CMAKE_INSTALL_INCLUDEDIR}
    "${consumer_flags}")
set_tests_properties(readers_consumer PROPERTIES LABELS "tool;slow" TIMEOUT 300)
