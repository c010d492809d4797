# Manual pages, one per installed program (section 1). Debian wants them compressed with the
# highest level and without a name or a time in the gzip header, so that two builds of the
# same sources make the same package; gzip -n leaves both out.
find_program(DEMO_GZIP gzip REQUIRED)
set(demo_man_pages invitation invitation-capture lwo-info lws-info lws-play lw2gltf jpeg-info)
set(demo_man_dir ${CMAKE_BINARY_DIR}/man)
set(demo_compressed_pages "")
foreach(page ${demo_man_pages})
  set(source ${CMAKE_CURRENT_LIST_DIR}/man/${page}.1)
  set(compressed ${demo_man_dir}/${page}.1.gz)
  # gzip compresses in place; the copy keeps the source folder untouched.
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${demo_man_dir}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${demo_man_dir}/${page}.1
    COMMAND ${DEMO_GZIP} -9 -n -f ${demo_man_dir}/${page}.1
    DEPENDS ${source}
    COMMENT "Compressing the manual page ${page}.1"
    VERBATIM)
  list(APPEND demo_compressed_pages ${compressed})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${demo_compressed_pages})
install(FILES ${demo_compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
