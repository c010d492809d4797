# The Windows build's libraries, as scripts/package-windows.sh cross-builds them into
# DEMO_WINDOWS_PREFIX: static, so that the programs need no DLL beyond Windows' own, except
# mpg123, which is LGPL and so ships as a DLL users can replace. There is no module player
# (libopenmpt) and no fontconfig: audio/ and fx/ have Windows twins for them.
if(NOT DEMO_WINDOWS_PREFIX)
  message(FATAL_ERROR "DEMO_WINDOWS_PREFIX: the folder scripts/package-windows.sh built the libraries into")
endif()
set(ENV{PKG_CONFIG_LIBDIR} ${DEMO_WINDOWS_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# demo_static_package(NAME MODULE): PkgConfig::NAME from the module's static flags. -mwindows
# is the GUI program's business (app/), and SDL's own main is not used: the programs have
# theirs (SDL_MAIN_HANDLED).
function(demo_static_package name module)
  pkg_check_modules(${name} REQUIRED ${module})
  set(flags ${${name}_STATIC_LDFLAGS})
  set(cflags ${${name}_STATIC_CFLAGS_OTHER})
  list(REMOVE_ITEM cflags -Dmain=SDL_main)
  list(REMOVE_ITEM flags -mwindows -lSDL2main -lmingw32)
  add_library(PkgConfig::${name} INTERFACE IMPORTED GLOBAL)
  target_include_directories(PkgConfig::${name} INTERFACE ${${name}_STATIC_INCLUDE_DIRS})
  target_compile_options(PkgConfig::${name} INTERFACE ${cflags})
  # As libraries, not options: the linker must see them after the objects that use them.
  target_link_libraries(PkgConfig::${name} INTERFACE ${flags})
endfunction()

demo_static_package(SDL2 sdl2)
target_compile_definitions(PkgConfig::SDL2 INTERFACE SDL_MAIN_HANDLED)
demo_static_package(FREETYPE freetype2)

# The import library by its path: -static would otherwise look for a static mpg123.
add_library(PkgConfig::MPG123 UNKNOWN IMPORTED GLOBAL)
set_target_properties(PkgConfig::MPG123 PROPERTIES
  IMPORTED_LOCATION ${DEMO_WINDOWS_PREFIX}/lib/libmpg123.dll.a
  INTERFACE_INCLUDE_DIRECTORIES ${DEMO_WINDOWS_PREFIX}/include)
set(DEMO_MPG123_DLL ${DEMO_WINDOWS_PREFIX}/bin/libmpg123-0.dll)

# The C and C++ runtimes and the thread library inside each program.
add_link_options(-static)
# Windows' own headers: no min/max macros over std::min, and the wide-character API by default.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN UNICODE _UNICODE)
# M_PI and its kin, which a strict C++17 hides in the C library of Windows.
add_compile_definitions(_USE_MATH_DEFINES)
# Two names Mesa's GLU header has and Windows' lacks, for the tessellator's callbacks: their
# calling convention and the type gluTessCallback takes them as.
add_compile_definitions(GLAPIENTRY=APIENTRY "_GLUfuncptr=void(APIENTRY*)()")

# The host's build (scripts/package-windows.sh makes it in build-windows/host) makes what a
# Windows program cannot make here: the soundtrack, whose encoder is not cross-built, and the
# icon's pictures, which are rendered by the show.
set(DEMO_HOST_BUILD "" CACHE PATH "The Linux build that made the soundtrack and the icon pictures")
if(NOT DEMO_HOST_BUILD)
  message(FATAL_ERROR "DEMO_HOST_BUILD: the Linux build whose inv2.mp3 and icons the zip takes")
endif()

# The build folder is laid out as the zip is, so the programs run from it as they do from the
# zip: the decoder's DLL, the soundtrack and the stand-in font beside them.
set(DEMO_STAND_IN_FONT /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf)
file(COPY ${DEMO_MPG123_DLL} ${DEMO_HOST_BUILD}/inv2.mp3 ${DEMO_STAND_IN_FONT} DESTINATION ${CMAKE_BINARY_DIR})
