# The menu entry: the desktop file, its AppStream metainfo, and the icon, which the build makes
# from a frame of the show so that it always shows what the entry starts.

# Run as a script by the rule below (cmake -DCAPTURE=... -DSECONDS=... -DRATE=... -DDIR=... -P):
# renders the one frame, keeping the capture's progress lines out of the build's output unless
# it fails. In a sanitizer build the GL driver's leaks at exit would fail the build; the
# capture's own are the tests' business.
if(CMAKE_SCRIPT_MODE_FILE)
  set(ENV{SDL_VIDEODRIVER} offscreen)
  set(ENV{SDL_AUDIODRIVER} dummy)
  set(ENV{ASAN_OPTIONS} detect_leaks=0)
  execute_process(COMMAND ${CAPTURE} --fps ${RATE} --from ${SECONDS} --to ${SECONDS} --png ${DIR}
    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${output}invitation-capture exited with ${status}")
  endif()
  return()
endif()

set(DEMO_APP_ID org.invitationdemo.Invitation)

# 124 s: the twin-spiral picture fills the centre, sharp, with little over it; it still reads
# at 32 pixels, where most frames turn into a blur.
set(icon_frame_seconds 124)
set(icon_frame_rate 60)
set(DEMO_ICON_SIZES 256 128 64 48 32)
set(DEMO_ICON_DIR ${CMAKE_BINARY_DIR}/icons/hicolor)

math(EXPR icon_frame_number "${icon_frame_seconds} * ${icon_frame_rate}")
string(LENGTH "${icon_frame_number}" icon_digits)
math(EXPR icon_padding "6 - ${icon_digits}")
string(REPEAT 0 ${icon_padding} icon_zeros)
set(icon_frame_dir ${CMAKE_CURRENT_BINARY_DIR}/icon-frame)
set(icon_frame ${icon_frame_dir}/frame_${icon_zeros}${icon_frame_number}.png)

add_custom_command(OUTPUT ${icon_frame}
  COMMAND ${CMAKE_COMMAND} -DCAPTURE=$<TARGET_FILE:invitation-capture> -DRATE=${icon_frame_rate}
    -DSECONDS=${icon_frame_seconds} -DDIR=${icon_frame_dir} -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS invitation-capture ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Rendering the show at ${icon_frame_seconds} s for the icon"
  VERBATIM)

set(icon_files "")
foreach(size ${DEMO_ICON_SIZES})
  set(icon ${DEMO_ICON_DIR}/${size}x${size}/apps/${DEMO_APP_ID}.png)
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DEMO_ICON_DIR}/${size}x${size}/apps
    COMMAND make-icon ${icon_frame} ${icon} ${size}
    DEPENDS make-icon ${icon_frame}
    VERBATIM)
  list(APPEND icon_files ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(icons ALL DEPENDS ${icon_files})

install(FILES ${CMAKE_CURRENT_LIST_DIR}/${DEMO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/${DEMO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
