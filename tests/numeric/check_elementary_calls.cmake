cmake_minimum_required(VERSION 3.20)
# The analysis takes its elementary functions and complex quotients from numeric/portable_math.hpp,
# never from the C library or the compiler's run-time library, whose last bits differ between
# machines and builds: this fails when a library of the core refers to any of them.
#   cmake -DNM=nm -DLIBRARIES="a.a;b.a" -P check_elementary_calls.cmake
set(forbidden __divdc3 csqrt clog cabs carg cexp cpow hypot atan atan2 sin cos sincos tan asin
    acos exp exp2 expm1 log log2 log10 log1p pow cbrt sinh cosh tanh)
set(found "")
foreach(library ${LIBRARIES})
  execute_process(COMMAND ${NM} -u ${library} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} -u ${library} failed")
  endif()
  string(REGEX MATCHALL "U [A-Za-z_0-9]+" undefined "${symbols}")
  foreach(entry ${undefined})
    string(SUBSTRING "${entry}" 2 -1 name)
    if(name IN_LIST forbidden)
      get_filename_component(short ${library} NAME)
      list(APPEND found "${short}: ${name}")
    endif()
  endforeach()
endforeach()
if(found)
  list(REMOVE_DUPLICATES found)
  string(REPLACE ";" "\n  " found "${found}")
  message(FATAL_ERROR "the C library's elementary functions are called from the core:\n  ${found}")
endif()
