# bench_clock [file.mp3] [seconds]: quality of the music clock over real playback (SDL's
# dummy driver unless SDL_AUDIODRIVER names another). Plays the build's soundtrack by default.
add_executable(bench_clock ${CMAKE_CURRENT_LIST_DIR}/bench_clock.cpp)
target_link_libraries(bench_clock PRIVATE demo_audio)
target_compile_definitions(bench_clock PRIVATE DEMO_SOUNDTRACK="${CMAKE_BINARY_DIR}/inv2.mp3")
add_dependencies(bench_clock soundtrack)
