# Fails when a source includes a header across a forbidden edge: the engine's layering, held by
# the build rather than by habit (every library exports the whole source root as its include
# folder, so the compiler would accept any include).
#
#   cmake -DLAYER_GRAPH=BUILD/layer_graph.cmake -P scripts/check_layers.cmake
#                                                (registered with ctest as the test "layering")
#
# The layers are the targets and their target_link_libraries, written once, in the CMake files;
# configuring writes that graph to BUILD/layer_graph.cmake (scripts/layer_graph.cmake) and this
# script reads it. Nothing here repeats it:
# - A file belongs to the targets that build it (their add_library, add_executable or
#   target_sources). A header that no target lists belongs to the targets that build the source
#   of the same name (lwo/lwo_reader.h goes with lwo/lwo_reader.cpp). A header with neither is
#   a fault, except the tests' and benchmarks' helpers: those have no layer of their own and are
#   checked as part of every file that includes them.
# - A file may include the files of its own targets and of every target they link, directly or
#   through others. A file that several targets build must keep to each of them.
# - GL and SDL are the two outside header sets held to layers too: a file may include them only
#   when its targets link them. Other system headers are not checked.
# - Folders are layers too: a folder is above another when a target building files in it links,
#   directly or through others, one that builds files in the other. No include may run up the
#   folder tree, into a folder above the including file's, even where the targets allow it: so
#   `ls` shows the layers this check enforces.
# Files that no target of this configuration builds or includes (the fuzzers outside a fuzzing
# build) are left out and named.
cmake_minimum_required(VERSION 3.25)

# Outside headers held to layers, by the path inside the brackets, and the targets that give them.
set(outside_sets GL SDL)
set(outside_GL_headers "^(GL|GLES[0-9]*|EGL|KHR)/")
set(outside_GL_targets OpenGL::GL OpenGL::GLU OpenGL::OpenGL OpenGL::EGL)
set(outside_SDL_headers "^SDL(2/|[_.])")
set(outside_SDL_targets PkgConfig::SDL2)
set(header_suffixes h hpp)
set(source_suffixes cpp cc c)

if(NOT SOURCE_DIR)
  get_filename_component(SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()
if(NOT LAYER_GRAPH OR NOT EXISTS "${LAYER_GRAPH}")
  message(FATAL_ERROR "check_layers: no link graph \"${LAYER_GRAPH}\": give -DLAYER_GRAPH=BUILD/layer_graph.cmake, "
    "which configuring the project writes")
endif()
include("${LAYER_GRAPH}")

# --- the graph: who builds each file, and what each target reaches ---
foreach(target IN LISTS graph_targets)
  foreach(file IN LISTS graph_files_${target})
    list(APPEND "owners_${file}" ${target})
  endforeach()
endforeach()

# reach_T: T and every target it links, directly or through others, outside ones included.
foreach(target IN LISTS graph_targets)
  set(reach ${target})
  set(next 0)
  list(LENGTH reach count)
  while(next LESS count)
    list(GET reach ${next} item)
    foreach(used IN LISTS graph_links_${item})
      if(NOT used IN_LIST reach)
        list(APPEND reach ${used})
      endif()
    endforeach()
    math(EXPR next "${next} + 1")
    list(LENGTH reach count)
  endwhile()
  set(reach_${target} ${reach})
endforeach()

# folder_reach_F: the other folders that F's targets reach (the folders below F).
foreach(target IN LISTS graph_targets)
  set(target_folders)
  foreach(file IN LISTS graph_files_${target})
    string(REGEX MATCH "^[^/]+" folder "${file}")
    list(APPEND target_folders ${folder})
  endforeach()
  list(REMOVE_DUPLICATES target_folders)
  set(folders_of_${target} ${target_folders})
endforeach()
foreach(target IN LISTS graph_targets)
  foreach(folder IN LISTS folders_of_${target})
    foreach(reached IN LISTS reach_${target})
      foreach(below IN LISTS folders_of_${reached})
        if(NOT below STREQUAL folder AND NOT below IN_LIST folder_reach_${folder})
          list(APPEND folder_reach_${folder} ${below})
        endif()
      endforeach()
    endforeach()
  endforeach()
endforeach()

# --- every file in the folders the targets build from ---
set(globs)
foreach(folder IN LISTS graph_folders)
  foreach(suffix IN LISTS header_suffixes source_suffixes)
    list(APPEND globs "${SOURCE_DIR}/${folder}/*.${suffix}")
  endforeach()
endforeach()
file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" ${globs})
list(SORT files)

# resolved(file header out): the tree's file that `#include "header"` in `file` names, or "".
function(resolved file header out)
  get_filename_component(folder "${file}" DIRECTORY)
  if(EXISTS "${SOURCE_DIR}/${header}" AND NOT IS_DIRECTORY "${SOURCE_DIR}/${header}")
    set(${out} "${header}" PARENT_SCOPE)
  elseif(EXISTS "${SOURCE_DIR}/${folder}/${header}" AND NOT IS_DIRECTORY "${SOURCE_DIR}/${folder}/${header}")
    cmake_path(SET found NORMALIZE "${folder}/${header}")
    set(${out} "${found}" PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

# Each file's includes: the tree's files (includes_F) and the outside sets (outside_F).
set(checked 0)
set(headers_alone)
set(unplaced)
foreach(file IN LISTS files)
  file(READ "${SOURCE_DIR}/${file}" text)
  # Only directives at the start of a line; a newline in front lets the first line match too.
  string(REGEX MATCHALL "\n[ \t]*#[ \t]*include[ \t]*[<\"][^>\"\n]+[>\"]" directives "\n${text}")
  set(includes_${file})
  set(outside_${file})
  foreach(directive IN LISTS directives)
    string(REGEX MATCH "[<\"]([^>\"]+)[>\"]$" named "${directive}")
    set(header "${CMAKE_MATCH_1}")
    set(kind "")
    foreach(set_name IN LISTS outside_sets)
      if(header MATCHES "${outside_${set_name}_headers}")
        set(kind ${set_name})
      endif()
    endforeach()
    if(kind)
      list(APPEND outside_${file} "${kind}|${named}")
    else()
      resolved("${file}" "${header}" found)
      if(found)
        list(APPEND includes_${file} "${found}|${named}")
      endif()
    endif()
  endforeach()
  math(EXPR checked "${checked} + 1")

  # A header no target lists goes with the source of its own name.
  get_filename_component(extension "${file}" LAST_EXT)
  string(SUBSTRING "${extension}" 1 -1 extension)
  if(NOT DEFINED "owners_${file}" AND extension IN_LIST header_suffixes)
    string(REGEX REPLACE "\\.[^./]+$" "" stem "${file}")
    foreach(suffix IN LISTS source_suffixes)
      if(DEFINED "owners_${stem}.${suffix}")
        list(APPEND "owners_${file}" ${owners_${stem}.${suffix}})
      endif()
    endforeach()
    if(NOT DEFINED "owners_${file}")
      list(APPEND headers_alone "${file}")
      # Checked through its includers, such a header would let a lower layer include a higher
      # one's (the effects including the show's record): outside the tests' helpers it must be
      # placed in its library. One whose source is there but unbuilt is left out with it.
      set(has_source FALSE)
      foreach(suffix IN LISTS source_suffixes)
        if(EXISTS "${SOURCE_DIR}/${stem}.${suffix}")
          set(has_source TRUE)
        endif()
      endforeach()
      if(NOT has_source AND NOT file MATCHES "^(tests|bench)/")
        list(APPEND unplaced "${file}: a header with no source of its own that no target lists (list it among its library's sources)")
      endif()
    endif()
  endif()
endforeach()

# A header with no layer of its own is checked in its includers' targets, through any depth of
# such headers: spread their targets until nothing changes.
set(changed TRUE)
while(changed)
  set(changed FALSE)
  foreach(file IN LISTS files)
    if(NOT DEFINED "owners_${file}")
      continue()
    endif()
    foreach(entry IN LISTS includes_${file})
      string(REGEX MATCH "^[^|]*" included "${entry}")
      if(NOT included IN_LIST headers_alone)
        continue()
      endif()
      foreach(target IN LISTS owners_${file})
        if(NOT target IN_LIST "carriers_${included}")
          list(APPEND "carriers_${included}" ${target})
          set(changed TRUE)
        endif()
      endforeach()
    endforeach()
  endforeach()
  foreach(header IN LISTS headers_alone)
    set("owners_${header}" ${carriers_${header}})
  endforeach()
endwhile()

# --- every include, against its file's targets ---
set(faults ${unplaced})
set(unbuilt)
set(includes 0)
foreach(file IN LISTS files)
  if(NOT DEFINED "owners_${file}")
    list(APPEND unbuilt "${file}")
    continue()
  endif()
  foreach(entry IN LISTS includes_${file} outside_${file})
    math(EXPR includes "${includes} + 1")
    string(REGEX MATCH "^([^|]*)\\|(.*)$" matched "${entry}")
    set(included "${CMAKE_MATCH_1}")
    set(named "${CMAKE_MATCH_2}")
    if(included IN_LIST outside_sets)
      set(givers ${outside_${included}_targets})
      set(what "${included}")
    elseif(included IN_LIST headers_alone)
      continue()  # checked as part of this file, through its own includes
    else()
      set(givers ${owners_${included}})
      if("${givers}" STREQUAL "")
        continue()  # a source no target builds here
      endif()
      string(REPLACE ";" " or " what "${givers}")
    endif()
    foreach(target IN LISTS owners_${file})
      set(reached FALSE)
      foreach(giver IN LISTS givers)
        if(giver IN_LIST reach_${target})
          set(reached TRUE)
        endif()
      endforeach()
      if(NOT reached)
        set(links ${graph_links_${target}})
        string(REPLACE ";" " " links "${links}")
        if(links STREQUAL "")
          set(links "nothing")
        endif()
        list(APPEND faults "${file} includes ${named}: ${target} does not link ${what} (it links: ${links})")
      endif()
    endforeach()
    string(REGEX MATCH "^[^/]+" from "${file}")
    string(REGEX MATCH "^[^/]+" into "${included}")
    if(NOT included IN_LIST outside_sets AND from IN_LIST folder_reach_${into})
      list(APPEND faults "${file} includes ${named}, up the folder tree: ${into}/ is above ${from}/ (its targets link those of ${from}/)")
    endif()
  endforeach()
endforeach()

list(LENGTH files file_count)
if(unbuilt)
  list(JOIN unbuilt " " listed)
  message(STATUS "check_layers: left out, as no target here builds or includes them: ${listed}")
endif()
list(LENGTH faults fault_count)
if(fault_count GREATER 0)
  list(JOIN faults "\n  " listed)
  message(FATAL_ERROR "check_layers: ${fault_count} fault(s) in ${file_count} files:\n  ${listed}")
endif()
message(STATUS "check_layers: ${includes} includes in ${file_count} files keep to the link graph")
