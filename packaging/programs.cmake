# The programs a user runs, the soundtrack the demo plays, and the licence and notes that go
# with them. The asset makers stay in the build: their output is committed.
install(TARGETS invitation invitation-capture lwo-info lws-info lws-play lw2gltf jpeg-info
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The demo finds it from its own path (app/soundtrack_location.h); the build makes it.
install(FILES ${CMAKE_BINARY_DIR}/inv2.mp3 DESTINATION ${CMAKE_INSTALL_DATADIR}/invitation)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
