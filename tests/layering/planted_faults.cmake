# The layering check against faults planted in a copy of the tree, checked with the build's own
# link graph: each must fail, naming the file, the include and the missing link, and the copy
# without them must pass.
#
#   cmake -DSOURCE_DIR=... -DLAYER_GRAPH=BUILD/layer_graph.cmake -P planted_faults.cmake
cmake_minimum_required(VERSION 3.25)

set(check "${SOURCE_DIR}/scripts/check_layers.cmake")
set(base /tmp)
if(DEFINED ENV{TMPDIR} AND IS_DIRECTORY "$ENV{TMPDIR}")
  set(base "$ENV{TMPDIR}")
endif()
string(RANDOM LENGTH 8 tag)
set(scratch "${base}/planted_faults.${tag}")

# The folders the graph builds from, copied (sources and headers only).
include("${LAYER_GRAPH}")
foreach(folder IN LISTS graph_folders)
  file(GLOB_RECURSE copied RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*.h"
    "${SOURCE_DIR}/${folder}/*.hpp" "${SOURCE_DIR}/${folder}/*.cpp" "${SOURCE_DIR}/${folder}/*.c")
  foreach(file IN LISTS copied)
    configure_file("${SOURCE_DIR}/${file}" "${scratch}/${file}" COPYONLY)
  endforeach()
endforeach()

set(failures)
# expect(name graph pass|fail regex): runs the check on the copy; it must pass or fail, and its
# output must match regex.
function(expect name graph outcome regex)
  execute_process(COMMAND "${CMAKE_COMMAND}" -DSOURCE_DIR=${scratch} -DLAYER_GRAPH=${graph} -P "${check}"
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(outcome STREQUAL "pass")
    set(ok FALSE)
    if(result EQUAL 0)
      set(ok TRUE)
    endif()
  else()
    set(ok TRUE)
    if(result EQUAL 0)
      set(ok FALSE)
    endif()
  endif()
  if(ok AND NOT out MATCHES "${regex}")
    set(ok FALSE)
  endif()
  if(ok)
    message(STATUS "ok: ${name}")
  else()
    message(STATUS "FAILED: ${name} (expected to ${outcome} matching ${regex}; exit ${result}):\n${out}")
    set(failures ${failures} "${name}" PARENT_SCOPE)
  endif()
endfunction()

# plant(file line): adds a line to a file of the copy; unplant(file) puts the original back.
function(plant file line)
  file(APPEND "${scratch}/${file}" "\n${line}\n")
endfunction()
function(unplant file)
  configure_file("${SOURCE_DIR}/${file}" "${scratch}/${file}" COPYONLY)
endfunction()

# expect_planted(name file line regex): `line` planted in `file` must fail the check with
# output matching regex; the file is put back after.
function(expect_planted name file line regex)
  plant(${file} "${line}")
  expect("${name}" "${LAYER_GRAPH}" fail "${regex}")
  unplant(${file})
  set(failures ${failures} PARENT_SCOPE)
endfunction()

expect("the tree as it is" "${LAYER_GRAPH}" pass "keep to the link graph")

# An upward include: the object reader reaching for the script.
expect_planted("upward include" lwo/lwo_reader.cpp "#include \"timeline/demo_script.h\""
  "lwo/lwo_reader.cpp includes \"timeline/demo_script.h\": demo_lwo_reader does not link demo_timeline")

# The same, written relative to the including file's folder.
expect_planted("upward include by a relative path" lwo/lwo_reader.cpp "#include \"../timeline/demo_script.h\""
  "lwo/lwo_reader.cpp includes \"../timeline/demo_script.h\": demo_lwo_reader does not link demo_timeline")

# A header goes with the source of its own name: whole_file.h is the file library's.
expect_planted("a header's include, held to its source's target" files/whole_file.h "#include \"gl/gl_setup.h\""
  "files/whole_file.h includes \"gl/gl_setup.h\": demo_files does not link demo_gl")

# GL in a library that links no GL.
expect_planted("GL where the target links none" lwo/lwo_mesh.cpp "#include <GL/gl.h>"
  "lwo/lwo_mesh.cpp includes <GL/gl.h>: demo_lwo_reader does not link GL")

# SDL in the effects, which link no SDL.
expect_planted("SDL where the target links none" fx/glow.cpp "#include <SDL.h>"
  "fx/glow.cpp includes <SDL.h>: demo_fx does not link SDL")

# A header with no source of its own is held to the targets of the files that include it.
expect_planted("a header without a source, held to its includers" lwo/vec3.h "#include \"fx/glow.h\""
  "lwo/vec3.h includes \"fx/glow.h\": demo_lwo_reader does not link demo_fx")

# A header with no source of its own is placed by its library's sources too: the effects may not
# reach for the show's record above them.
expect_planted("a higher layer's header without a source" fx/particles.cpp "#include \"timeline/show.h\""
  "fx/particles.cpp includes \"timeline/show.h\": demo_fx does not link demo_timeline")

# Such a header that no library lists is a fault of its own, wherever it is included from.
file(WRITE "${scratch}/timeline/loose.h" "#pragma once\n")
expect_planted("a header without a source that no library lists" fx/particles.cpp "#include \"timeline/loose.h\""
  "timeline/loose.h: a header with no source of its own that no target lists")
file(REMOVE "${scratch}/timeline/loose.h")

# A new file is placed by its target's sources alone: unlisted it is left out and named;
# listed in the object reader, its upward include fails.
file(WRITE "${scratch}/lwo/new_part.cpp" "#include \"lwo/new_part.h\"\n")
file(WRITE "${scratch}/lwo/new_part.h" "#pragma once\n#include \"fx/glow.h\"\n")
expect("a new file no target builds" "${LAYER_GRAPH}" pass "left out.*lwo/new_part.cpp")
file(READ "${LAYER_GRAPH}" text)
string(REGEX REPLACE "(set\\(graph_files_demo_lwo_reader \")" "\\1lwo/new_part.cpp;" text "${text}")
file(WRITE "${scratch}/layer_graph.cmake" "${text}")
expect("a new file, listed in its library" "${scratch}/layer_graph.cmake" fail
  "lwo/new_part.h includes \"fx/glow.h\": demo_lwo_reader does not link demo_fx")

# A file of the bottom library kept in the window layer's folder, as the file library's were:
# the links allow the picture decoder to include it, but the include runs up the folder tree.
file(WRITE "${scratch}/platform/stray_files.cpp" "#include \"platform/stray_files.h\"\n")
file(WRITE "${scratch}/platform/stray_files.h" "#pragma once\n")
plant(texture/jpeg_decoder.cpp "#include \"platform/stray_files.h\"")
file(READ "${LAYER_GRAPH}" text)
string(REGEX REPLACE "(set\\(graph_files_demo_files \")" "\\1platform/stray_files.cpp;" text "${text}")
file(WRITE "${scratch}/layer_graph.cmake" "${text}")
expect("an include up the folder tree that the links allow" "${scratch}/layer_graph.cmake" fail
  "texture/jpeg_decoder.cpp includes \"platform/stray_files.h\", up the folder tree: platform/ is above texture/")

file(REMOVE_RECURSE "${scratch}")
if(failures)
  message(FATAL_ERROR "planted faults: not caught as expected: ${failures}")
endif()
