# The readers as libraries other programs build against: the LWO2 reader (demo_lwo_reader), JPEG
# decoding and PNG writing (demo_pictures) and whole-file reads (demo_files), with their headers
# under include/invitation/ in the folders they include each other by ("lwo/lwo_mesh.h"), a CMake
# package (find_package(InvitationReaders): Invitation::lwo_reader, ::pictures, ::files) and a
# pkg-config file for each. Nothing installed names an absolute path, so the installed tree can
# be moved (tests/packaging/consumer.sh builds against a moved copy).
include(CMakePackageConfigHelpers)

set(readers_package InvitationReaders)
set(readers_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/${readers_package})
set(readers_pkgconfig_dir ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The public headers and every header they include; the consumer test fails on an installed
# header that includes one missing here.
set(readers_headers
  files/frame_files.h files/whole_file.h
  lwo/byte_cursor.h lwo/lwo_mesh.h lwo/lwo_reader.h lwo/lwo_records.h lwo/lwo_writer.h lwo/mesh_build.h lwo/triangulate.h
  lwo/span.h lwo/vec3.h
  texture/jpeg_decoder.h texture/png_writer.h)
foreach(header ${readers_headers})
  get_filename_component(folder ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${header}
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/invitation/${folder} COMPONENT Development)
endforeach()
# The file library's headers were installed under platform/ before it had a folder of its own:
# headers there that include the new ones keep programs built against that layout compiling.
install(DIRECTORY ${CMAKE_CURRENT_LIST_DIR}/forwarding/
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/invitation COMPONENT Development)

install(TARGETS demo_lwo_reader demo_pictures demo_files EXPORT ${readers_package}Targets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)
install(EXPORT ${readers_package}Targets NAMESPACE Invitation::
  DESTINATION ${readers_cmake_dir} COMPONENT Development)

configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/${readers_package}Config.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/${readers_package}Config.cmake INSTALL_DESTINATION ${readers_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/${readers_package}ConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${readers_package}Config.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/${readers_package}ConfigVersion.cmake
  DESTINATION ${readers_cmake_dir} COMPONENT Development)

# readers_pc_dir(VAR DIR): how a .pc file names the install folder DIR, from ${prefix}, which it
# finds from its own place (${pcfiledir}); a folder given as an absolute path stays absolute.
function(readers_pc_dir var dir)
  if(IS_ABSOLUTE "${dir}")
    set(${var} "${dir}" PARENT_SCOPE)
  else()
    set(${var} "\${prefix}/${dir}" PARENT_SCOPE)
  endif()
endfunction()
if(IS_ABSOLUTE "${readers_pkgconfig_dir}")
  set(pc_prefix "${CMAKE_INSTALL_PREFIX}")
else()
  file(RELATIVE_PATH pc_to_prefix /prefix/${readers_pkgconfig_dir} /prefix)
  string(REGEX REPLACE "/$" "" pc_to_prefix "${pc_to_prefix}")
  set(pc_prefix "\${pcfiledir}/${pc_to_prefix}")
endif()
readers_pc_dir(pc_includedir "${CMAKE_INSTALL_INCLUDEDIR}")
readers_pc_dir(pc_libdir "${CMAKE_INSTALL_LIBDIR}")

# readers_pkg_config(TARGET NAME DESCRIPTION REQUIRES...): NAME.pc for the library TARGET. The
# archives are static, so what they link goes in Requires, not Requires.private: a plain
# `pkg-config --libs` must give all of it.
function(readers_pkg_config target pc_name pc_description)
  get_target_property(pc_library ${target} OUTPUT_NAME)
  list(JOIN ARGN ", " pc_requires)
  set(pc_file ${CMAKE_CURRENT_BINARY_DIR}/${pc_name}.pc)
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/invitation-library.pc.in ${pc_file} @ONLY)
  install(FILES ${pc_file} DESTINATION ${readers_pkgconfig_dir} COMPONENT Development)
endfunction()
readers_pkg_config(demo_lwo_reader invitation-lwo-reader
  "LightWave LWO2 object reader, mesh model and writer" invitation-files)
readers_pkg_config(demo_pictures invitation-pictures
  "JPEG decoding to RGB and PNG writing" invitation-files libjpeg libpng)
readers_pkg_config(demo_files invitation-files
  "Whole-file reads with a size cap, regular files only")
