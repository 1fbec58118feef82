# Runs PROGRAM on the benchmark job JOB.in in folder BENCH and compares the SHA-256 of its standard
# output with the line for JOB.out in BENCH/checksums.sha256. The tables of the three jobs are too
# large to keep as files; their checksums pin every byte. The exit status must be 0 and standard
# error empty.
file(MAKE_DIRECTORY ${WORK})
set(out ${WORK}/${JOB}.out)
execute_process(COMMAND ${PROGRAM}
  INPUT_FILE ${BENCH}/${JOB}.in
  OUTPUT_FILE ${out}
  ERROR_VARIABLE err_text
  RESULT_VARIABLE status
  TIMEOUT 120)
if(NOT "${status}" STREQUAL "0")
  message(FATAL_ERROR "${JOB}: exit status ${status}, expected 0")
endif()
if(NOT "${err_text}" STREQUAL "")
  message(FATAL_ERROR "${JOB}: unexpected standard error: ${err_text}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E sha256sum ${out} OUTPUT_VARIABLE line RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${JOB}: cmake -E sha256sum failed")
endif()
string(REGEX MATCH "^[0-9a-f]+" actual "${line}")
file(STRINGS ${BENCH}/checksums.sha256 entries REGEX " ${JOB}\\.out$")
string(REGEX MATCH "^[0-9a-f]+" expected "${entries}")
if(NOT expected)
  message(FATAL_ERROR "${JOB}: no checksum for ${JOB}.out in ${BENCH}/checksums.sha256")
endif()
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "${JOB}: output ${out} has SHA-256 ${actual}, expected ${expected}")
endif()
file(REMOVE ${out})
