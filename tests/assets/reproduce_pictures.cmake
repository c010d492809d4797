# Runs make-pictures into a scratch folder and checks that every picture it paints is
# byte-identical to the one committed in assets/data/.
#   cmake -DTOOL=<make-pictures> -DDATA=<assets/data> -DOUT=<scratch folder> -P reproduce_pictures.cmake
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
execute_process(COMMAND "${TOOL}" "${OUT}" RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "make-pictures failed: ${result}")
endif()
foreach(n 01 02 03 04 05 06 07 08 09 10 11)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${OUT}/pic${n}.jpg" "${DATA}/pic${n}.jpg"
    RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "pic${n}.jpg differs from the committed file")
  endif()
endforeach()
