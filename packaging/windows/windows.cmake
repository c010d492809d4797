# The Windows zip's contents, installed into one folder (scripts/package-windows.sh zips it):
# the programs, the mpg123 DLL with its licence, the soundtrack, the picture sets, the stand-in
# font, README.txt and the licences of the project and of every library inside the programs.
include(${CMAKE_CURRENT_LIST_DIR}/resources.cmake)
demo_windows_resources(invitation "invitation, a real-time demo" ICON)
demo_windows_resources(invitation-capture "invitation: the show rendered into frames or a video")
demo_windows_resources(lwo-info "LightWave object reader")
demo_windows_resources(lws-info "LightWave scene reader")
demo_windows_resources(lws-play "LightWave scene player")
demo_windows_resources(jpeg-info "JPEG picture reader")

install(TARGETS invitation invitation-capture lwo-info lws-info lws-play jpeg-info RUNTIME DESTINATION .)
install(FILES ${DEMO_MPG123_DLL} ${DEMO_HOST_BUILD}/inv2.mp3 ${CMAKE_CURRENT_LIST_DIR}/README.txt DESTINATION .)
# The pictures painted at 2x and 4x for shows drawn larger, found beside the program
# (app/picture_sets.h); the host's build paints them.
install(DIRECTORY ${DEMO_HOST_BUILD}/pictures-2x ${DEMO_HOST_BUILD}/pictures-4x DESTINATION .
  FILES_MATCHING PATTERN "*.jpg")
# Metric-compatible with Arial: where Windows has no Arial of its own, the banner keeps its
# shape (fx/font_file_windows.cpp). Debian's fonts-liberation has it.
install(FILES ${DEMO_STAND_IN_FONT} DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION licences RENAME invitation.txt)
# Each library's licence, collected by scripts/package-windows.sh as it built them.
install(DIRECTORY ${DEMO_WINDOWS_PREFIX}/licences/ DESTINATION licences)
