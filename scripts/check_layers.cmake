# Fails when a source includes a header across a forbidden edge: the engine's layering, held by
# the build rather than by habit (every library exports the whole source root as its include
# folder, so the compiler would accept any include).
#
#   cmake -P scripts/check_layers.cmake          (registered with ctest as the test "layering")
#
# The table below is the one place the layers are written down. It follows the libraries' link
# graph: a layer may include its own headers, those of the layers it uses, and whatever those
# may include in turn. GL and SDL are the two outside header sets that are held to layers too;
# other system headers are not checked. A layer is a library (demo_<layer>; app and cli are
# demo_app and demo_cli, tools and tests their executables), except scene_reader: the part of
# demo_scene that reads text and must stay free of GL. Folders split between layers name each
# file, so a new file there fails until the table places it.
cmake_minimum_required(VERSION 3.25)

# layer         | files (the first layer whose pattern matches a path owns the file; * is any text)
#               | uses
set(layers
  "files        | platform/whole_file.* platform/frame_files.*
                |"
  "clock        | timeline/demo_clock.* timeline/frame_timer.*
                |"
  "pictures     | texture/jpeg_decoder.* texture/png_writer.*
                | files"
  "texture      | texture/jpeg_texture.* texture/framebuffer_capture.*
                | pictures GL"
  "lwo_reader   | lwo/vec3.h lwo/byte_cursor.* lwo/lwo_reader.* lwo/mesh_build.* lwo/lwo_mesh.* lwo/lwo_writer.*
                  lwo/iff_chunks.* lwo/lwob_reader.* lwo/lwo3_reader.* lwo/projection_uv.* lwo/image_block.*
                | files"
  "lwo          | lwo/lwo_object.* lwo/mesh_arrays.*
                | lwo_reader texture"
  "platform_gl  | platform/gl_setup.* platform/frame_size.* platform/drawing_surface.*
                | texture"
  "platform     | platform/demo_window.* platform/gl_context.* platform/stop_signals.*
                | platform_gl SDL"
  "scene_reader | scene/scene_tokens.* scene/envelope.* scene/envelope_eval.*
                | files"
  "scene        | scene/*
                | scene_reader lwo clock"
  "fx           | fx/*
                | lwo platform_gl"
  "timeline     | timeline/*
                | clock fx"
  "audio        | audio/*
                | files SDL"
  "assets       | assets/*
                |"
  "cli          | app/command_line.*
                |"
  "app          | app/*
                | cli timeline platform audio assets"
  "tools        | tools/*
                | app scene"
  "tests        | tests/* bench/*
                | tools"
)
# Outside headers held to layers, by the path inside the brackets.
set(outside_GL "^(GL|GLES[0-9]*|EGL|KHR)/")
set(outside_SDL "^SDL(2/|[_.])")
set(outside_sets GL SDL)
set(source_suffixes h hpp cpp cc c)

if(NOT SOURCE_DIR)
  get_filename_component(SOURCE_DIR "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
endif()

# --- the table, read ---
set(layer_names)
set(folders)
foreach(row IN LISTS layers)
  string(REGEX MATCH "^([^|]*)\\|([^|]*)\\|(.*)$" matched "${row}")
  if(NOT matched)
    message(FATAL_ERROR "check_layers: a row of the table is not \"layer | files | uses\": ${row}")
  endif()
  set(globs "${CMAKE_MATCH_2}")
  set(uses "${CMAKE_MATCH_3}")
  string(STRIP "${CMAKE_MATCH_1}" name)
  string(REGEX REPLACE "[ \t\n]+" ";" globs "${globs}")
  string(REGEX REPLACE "[ \t\n]+" ";" uses "${uses}")
  list(REMOVE_ITEM globs "")
  list(REMOVE_ITEM uses "")
  list(APPEND layer_names ${name})
  set(uses_${name} ${uses})
  set(patterns_${name})
  foreach(glob IN LISTS globs)
    string(REGEX MATCH "^[^/]+" folder "${glob}")
    list(APPEND folders ${folder})
    string(REPLACE "." "\\." pattern "${glob}")
    string(REPLACE "*" ".*" pattern "${pattern}")
    list(APPEND patterns_${name} "^${pattern}$")
  endforeach()
endforeach()
list(REMOVE_DUPLICATES folders)

foreach(name IN LISTS layer_names)
  foreach(used IN LISTS uses_${name})
    if(NOT used IN_LIST layer_names AND NOT used IN_LIST outside_sets)
      message(FATAL_ERROR "check_layers: layer ${name} uses \"${used}\", which is no layer")
    endif()
  endforeach()
endforeach()

# What each layer may include: itself and everything its uses reach.
foreach(name IN LISTS layer_names)
  set(reach ${name} ${uses_${name}})
  set(next 1)
  list(LENGTH reach count)
  while(next LESS count)
    list(GET reach ${next} layer)
    foreach(used IN LISTS uses_${layer})
      if(NOT used IN_LIST reach)
        list(APPEND reach ${used})
      endif()
    endforeach()
    math(EXPR next "${next} + 1")
    list(LENGTH reach count)
  endwhile()
  set(allowed_${name} ${reach})
endforeach()

# layer_of(path out): the layer that owns a path relative to the source root, or "".
function(layer_of path out)
  foreach(name IN LISTS layer_names)
    foreach(pattern IN LISTS patterns_${name})
      if(path MATCHES "${pattern}")
        set(${out} ${name} PARENT_SCOPE)
        return()
      endif()
    endforeach()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

# included_layer(file header out): the layer or outside set of a header named in an #include of
# `file`, or "" for a header that is neither (the standard library, other system headers).
function(included_layer file header out)
  foreach(kind IN LISTS outside_sets)
    if(header MATCHES "${outside_${kind}}")
      set(${out} ${kind} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  get_filename_component(folder "${file}" DIRECTORY)
  set(found "")
  if(EXISTS "${SOURCE_DIR}/${header}")
    set(found "${header}")
  elseif(EXISTS "${SOURCE_DIR}/${folder}/${header}")
    cmake_path(SET found NORMALIZE "${folder}/${header}")
  endif()
  if(found STREQUAL "")
    set(${out} "" PARENT_SCOPE)
  else()
    layer_of("${found}" layer)
    set(${out} "${layer}" PARENT_SCOPE)
  endif()
endfunction()

# --- every source, checked ---
set(globs)
foreach(folder IN LISTS folders)
  foreach(suffix IN LISTS source_suffixes)
    list(APPEND globs "${SOURCE_DIR}/${folder}/*.${suffix}")
  endforeach()
endforeach()
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" ${globs})
list(SORT sources)

set(faults)
set(checked 0)
foreach(file IN LISTS sources)
  layer_of("${file}" layer)
  if(layer STREQUAL "")
    list(APPEND faults "${file} belongs to no layer: give it one in the table of scripts/check_layers.cmake")
    continue()
  endif()
  file(READ "${SOURCE_DIR}/${file}" text)
  # Only directives at the start of a line; a newline in front lets the first line match too.
  string(REGEX MATCHALL "\n[ \t]*#[ \t]*include[ \t]*[<\"][^>\"\n]+[>\"]" directives "\n${text}")
  foreach(directive IN LISTS directives)
    string(REGEX MATCH "[<\"]([^>\"]+)[>\"]$" named "${directive}")
    set(header "${CMAKE_MATCH_1}")
    math(EXPR checked "${checked} + 1")
    included_layer("${file}" "${header}" target)
    if(NOT target STREQUAL "" AND NOT target IN_LIST allowed_${layer})
      set(others ${allowed_${layer}})
      list(REMOVE_ITEM others ${layer})
      string(REPLACE ";" " " may "${others}")
      if(may STREQUAL "")
        set(may "nothing")
      endif()
      list(APPEND faults "${file} includes ${named}: ${layer} may not use ${target} (it may use: ${may})")
    endif()
  endforeach()
endforeach()

list(LENGTH sources file_count)
list(LENGTH faults fault_count)
if(fault_count GREATER 0)
  list(JOIN faults "\n  " listed)
  message(FATAL_ERROR "check_layers: ${fault_count} fault(s) in ${file_count} files:\n  ${listed}")
endif()
message(STATUS "check_layers: ${checked} includes in ${file_count} files keep to the layers")
