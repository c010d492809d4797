# The link graph, written down for the layering check (scripts/check_layers.cmake): for every
# target of the project, the source files it builds and the targets it links. The layers are
# the libraries and their target_link_libraries, and nothing else; this only records them.
#
#   demo_write_layer_graph(FILE)   at the end of the top-level CMakeLists.txt, once every
#                                  target exists
#
# FILE is a CMake script setting `graph_targets`, and for each target T `graph_files_T` (paths
# relative to the source root; generated files left out) and `graph_links_T` (the targets it
# links directly, private ones too, aliases resolved; plain library files left out), and
# `graph_folders`, the top folders those files are in.

# Every target defined in `dir` and the folders below it.
function(demo_targets_below dir out)
  get_property(found DIRECTORY "${dir}" PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY "${dir}" PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    demo_targets_below("${sub}" more)
    list(APPEND found ${more})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# The files of `target` inside the source tree, relative to its root.
function(demo_target_files target out)
  get_target_property(dir ${target} SOURCE_DIR)
  get_target_property(sources ${target} SOURCES)
  set(files)
  foreach(source IN LISTS sources)
    if(source MATCHES "\\$<" OR source MATCHES "-NOTFOUND$")
      continue()
    endif()
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${dir}" NORMALIZE OUTPUT_VARIABLE path)
    cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${path}" NORMALIZE in_source)
    cmake_path(IS_PREFIX PROJECT_BINARY_DIR "${path}" NORMALIZE in_build)
    if(in_source AND NOT in_build)
      cmake_path(RELATIVE_PATH path BASE_DIRECTORY "${PROJECT_SOURCE_DIR}")
      list(APPEND files "${path}")
    endif()
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# The targets `target` links directly.
function(demo_target_links target out)
  get_target_property(links ${target} LINK_LIBRARIES)
  set(used)
  foreach(link IN LISTS links)
    string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" link "${link}")
    if(TARGET "${link}")
      get_target_property(aliased "${link}" ALIASED_TARGET)
      if(aliased)
        set(link "${aliased}")
      endif()
      list(APPEND used "${link}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES used)
  set(${out} ${used} PARENT_SCOPE)
endfunction()

function(demo_write_layer_graph file)
  demo_targets_below("${PROJECT_SOURCE_DIR}" targets)
  set(kept)
  set(folders)
  set(text "# Written by configuring the project (scripts/layer_graph.cmake); read by scripts/check_layers.cmake.\n")
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "UTILITY")
      continue()
    endif()
    list(APPEND kept ${target})
    demo_target_files(${target} files)
    demo_target_links(${target} links)
    foreach(file IN LISTS files)
      string(REGEX MATCH "^[^/]+" folder "${file}")
      list(APPEND folders ${folder})
    endforeach()
    string(APPEND text "set(graph_files_${target} \"${files}\")\nset(graph_links_${target} \"${links}\")\n")
  endforeach()
  list(REMOVE_DUPLICATES folders)
  string(APPEND text "set(graph_targets \"${kept}\")\nset(graph_folders \"${folders}\")\n")
  # Rewritten only when the graph changes.
  file(CONFIGURE OUTPUT "${file}" CONTENT "${text}" @ONLY)
endfunction()
