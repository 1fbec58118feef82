# Runs PROGRAM with CASE.in on standard input and compares standard output byte for byte with
# CASE.out; standard error with CASE.err and the exit status with CASE.status when those exist
# (otherwise standard error must be empty and the status 0).
get_filename_component(name ${CASE} NAME)
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${PROGRAM}
  INPUT_FILE ${CASE}.in
  OUTPUT_FILE ${WORK}/${name}.out
  ERROR_FILE ${WORK}/${name}.err
  RESULT_VARIABLE status
  TIMEOUT 60)
set(expected_status 0)
if(EXISTS ${CASE}.status)
  file(READ ${CASE}.status expected_status)
  string(STRIP "${expected_status}" expected_status)
endif()
if(NOT "${status}" STREQUAL "${expected_status}")
  message(FATAL_ERROR "${name}: exit status ${status}, expected ${expected_status}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${name}.out ${CASE}.out
  RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "${name}: standard output differs from ${CASE}.out (see ${WORK}/${name}.out)")
endif()
if(EXISTS ${CASE}.err)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${name}.err ${CASE}.err
    RESULT_VARIABLE differs)
  if(differs)
    message(FATAL_ERROR "${name}: standard error differs from ${CASE}.err")
  endif()
else()
  file(READ ${WORK}/${name}.err err_text)
  if(NOT "${err_text}" STREQUAL "")
    message(FATAL_ERROR "${name}: unexpected standard error: ${err_text}")
  endif()
endif()
