# The demo's soundtrack, inv2.mp3, synthesised and encoded by the build into the build folder
# (the demo plays it from its working directory). Deterministic: the same file every time.
find_library(MP3LAME_LIBRARY mp3lame REQUIRED)
find_path(MP3LAME_INCLUDE_DIR lame/lame.h REQUIRED)

# The encoder wrapper is also used by the audio tests to make small gapless test files.
add_library(soundtrack_mp3 STATIC ${CMAKE_CURRENT_LIST_DIR}/make_soundtrack_mp3.cpp)
target_include_directories(soundtrack_mp3 PUBLIC ${PROJECT_SOURCE_DIR} ${MP3LAME_INCLUDE_DIR})
target_link_libraries(soundtrack_mp3 PRIVATE ${MP3LAME_LIBRARY})

# The music itself, also checked by a test of its own.
add_library(soundtrack_score STATIC
  ${CMAKE_CURRENT_LIST_DIR}/make_soundtrack_synth.cpp
  ${CMAKE_CURRENT_LIST_DIR}/make_soundtrack_score.cpp)
target_include_directories(soundtrack_score PUBLIC ${PROJECT_SOURCE_DIR})
# The show's beat list, on which the finale's hits fall.
target_link_libraries(soundtrack_score PRIVATE demo_clock)

add_executable(make_soundtrack ${CMAKE_CURRENT_LIST_DIR}/make_soundtrack.cpp)
target_link_libraries(make_soundtrack PRIVATE soundtrack_score soundtrack_mp3 demo_cli)

set(DEMO_SOUNDTRACK ${CMAKE_BINARY_DIR}/inv2.mp3)
add_custom_command(OUTPUT ${DEMO_SOUNDTRACK}
  COMMAND make_soundtrack ${DEMO_SOUNDTRACK}
  DEPENDS make_soundtrack
  COMMENT "Synthesising the soundtrack inv2.mp3"
  VERBATIM)
# Part of the default build so a plain build can play; the fuzzing build has no use for it.
if(DEMO_FUZZ)
  add_custom_target(soundtrack DEPENDS ${DEMO_SOUNDTRACK})
else()
  add_custom_target(soundtrack ALL DEPENDS ${DEMO_SOUNDTRACK})
endif()
