# The Debian package: `cpack -G DEB` in a build folder makes invitation_VERSION_ARCH.deb of
# everything the build installs (scripts/package.sh does it from a clean configuration).
# Its run-time dependencies come from the binaries themselves (dpkg-shlibdeps); what no binary
# links but the show needs at run time is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME invitation)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Invitation demo developers")
set(CPACK_PACKAGE_CONTACT "Invitation demo developers <invitation@invitationdemo.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time OpenGL invitation demo, with LightWave file tools")
set(CPACK_PACKAGE_DESCRIPTION
  "An 800x600 real-time OpenGL show of layered pictures, a particle\n"
  "cloud, a rippling text banner, a flying knot, a stretching tube and a\n"
  "beat-driven glow, all timed to its own soundtrack, whose playback\n"
  "position is the show's only clock. It plays full screen, in a window,\n"
  "or into a video file (invitation-capture).\n"
  "\n"
  "Also here: the engine's file tools (lwo-info, lws-info, lws-play,\n"
  "lw2gltf, jpeg-info), and its readers of LightWave objects and JPEG pictures as\n"
  "static libraries with headers, a CMake package (InvitationReaders) and\n"
  "pkg-config files.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://invitationdemo.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The outline font's face (fontconfig picks it) and the GL driver that draws without a GPU are
# loaded at run time, not linked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, libgl1-mesa-dri, libegl1")
# Only the video capture needs it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
# Building against the installed readers: the picture reader's archive needs libjpeg and libpng
# linked beside it, and its .pc files want pkg-config.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libjpeg62-turbo-dev, libpng-dev, pkg-config")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Debian wants its own copyright and changelog beside the documentation.
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright ${CMAKE_CURRENT_BINARY_DIR}/copyright COPYONLY)
set(debian_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${debian_changelog}
  COMMAND gzip -9 -n -c ${CMAKE_CURRENT_LIST_DIR}/changelog > ${debian_changelog}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
  VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${debian_changelog})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright ${debian_changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})
include(CPack)
