# The manual pages against the programs: options in both, clean rendering, installed copies.
# The programs are listed here on their own, not taken from packaging/man.cmake, so a page
# list that forgets a program is caught by the install check rather than agreed with.
set(man_page_programs "")
foreach(program invitation invitation-capture lwo-info lws-info lws-play lw2gltf jpeg-info)
  list(APPEND man_page_programs $<TARGET_FILE:${program}>)
endforeach()
add_test(NAME man_pages
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/man_pages.sh ${CMAKE_COMMAND} ${CMAKE_BINARY_DIR} ${PROJECT_VERSION}
    ${PROJECT_SOURCE_DIR}/packaging/man ${man_page_programs})
set_tests_properties(man_pages PROPERTIES LABELS tool TIMEOUT 120
  ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy")
