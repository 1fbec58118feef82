# Runs the small batch with THREADS threads and compares its rows byte for byte with
# expected-small.csv (the rows must not depend on the number of threads); standard error holds
# the summary alone.
execute_process(COMMAND ${PROGRAM} run ${BATCH}/small.toml --threads ${THREADS}
  OUTPUT_FILE ${WORK}/small-${THREADS}.csv ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT err MATCHES "^holestress: 200 rows in [0-9.]+ s \\([0-9]+ rows/s\\), no error rows\n$")
  message(FATAL_ERROR "small batch: status ${status}, ${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/small-${THREADS}.csv
  ${BATCH}/expected-small.csv RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "small batch with ${THREADS} threads: ${WORK}/small-${THREADS}.csv differs from expected-small.csv")
endif()
