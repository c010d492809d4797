# The Windows programs' resources: each gets version information and the manifest (per-monitor
# DPI awareness, UTF-8 as the code page); the demo also gets its icon, packed from the pictures
# the host's build rendered from the show (packaging/desktop.cmake), as the Linux icon is.
# Included by scripts/windows.cmake, before the programs are defined.
set(resource_dir ${CMAKE_BINARY_DIR}/windows-resources)
file(MAKE_DIRECTORY ${resource_dir})
set(DEMO_VERSION_QUAD ${PROJECT_VERSION}.0)
string(REPLACE . , DEMO_VERSION_COMMAS ${DEMO_VERSION_QUAD})
set(DEMO_MANIFEST ${resource_dir}/invitation.manifest)
configure_file(${CMAKE_CURRENT_LIST_DIR}/invitation.manifest ${DEMO_MANIFEST} @ONLY)

set(icon_pictures "")
foreach(size 256 48 32)
  set(picture ${DEMO_HOST_BUILD}/icons/hicolor/${size}x${size}/apps/org.invitationdemo.Invitation.png)
  if(NOT EXISTS ${picture})
    message(FATAL_ERROR "${picture} is missing: build the target icons in the host build first")
  endif()
  list(APPEND icon_pictures ${picture})
endforeach()
set(DEMO_ICON ${resource_dir}/invitation.ico)
execute_process(COMMAND icotool --create --raw=${DEMO_HOST_BUILD}/icons/hicolor/256x256/apps/org.invitationdemo.Invitation.png
    --output=${DEMO_ICON} ${DEMO_HOST_BUILD}/icons/hicolor/48x48/apps/org.invitationdemo.Invitation.png
    ${DEMO_HOST_BUILD}/icons/hicolor/32x32/apps/org.invitationdemo.Invitation.png
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "icotool could not pack the icon (${status})")
endif()

# demo_windows_resources(PROGRAM DESCRIPTION [ICON]): the program's resource script.
function(demo_windows_resources program description)
  set(DEMO_PROGRAM ${program})
  set(DEMO_DESCRIPTION ${description})
  set(DEMO_ICON_LINE "")
  if(ARGN)
    set(DEMO_ICON_LINE "1 ICON \"${DEMO_ICON}\"")
  endif()
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/program.rc.in ${resource_dir}/${program}.rc @ONLY)
  target_sources(${program} PRIVATE ${resource_dir}/${program}.rc)
endfunction()
