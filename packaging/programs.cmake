# The programs a user runs, the soundtrack the demo plays, and the licence and notes that go
# with them. The asset makers stay in the build: their output is committed.
install(TARGETS invitation invitation-capture lwo-info lws-info lws-play lw2gltf jpeg-info
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The demo finds it from its own path (app/soundtrack_location.h); the build makes it.
install(FILES ${CMAKE_BINARY_DIR}/inv2.mp3 DESTINATION ${CMAKE_INSTALL_DATADIR}/invitation)
# The pictures at 2x and 4x, found the same way (app/picture_sets.h); the build paints them.
install(DIRECTORY ${CMAKE_BINARY_DIR}/pictures-2x ${CMAKE_BINARY_DIR}/pictures-4x
  DESTINATION ${CMAKE_INSTALL_DATADIR}/invitation FILES_MATCHING PATTERN "*.jpg")
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The README's links lead into docs/, so the documents and their pictures go beside it.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs DESTINATION ${CMAKE_INSTALL_DOCDIR})
