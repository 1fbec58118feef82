# The include check on a small tree of its own: an upward include in either style, indented or
# not, must fail it, naming each file; includes down the links and of other libraries must not.
set(tree ${WORK}/layers-tree)
file(REMOVE_RECURSE ${tree})
file(WRITE ${tree}/src/model/grid.hpp "#pragma once\n#include <vector>\n")
file(WRITE ${tree}/src/hole/field.hpp "#pragma once\n#include \"model/grid.hpp\"\n#include <toml++/toml.hpp>\n")
file(WRITE ${tree}/src/hole/upward_angle.cpp "  #  include <analysis/analysis.hpp>\n")
file(WRITE ${tree}/src/model/upward_quote.hpp "#include \"hole/field.hpp\"\n")
file(WRITE ${tree}/src/analysis/analysis.hpp "#include \"hole/field.hpp\"\n")
file(WRITE ${tree}/map.cmake
     "set(allowed_model model)\nset(allowed_hole hole model)\nset(allowed_analysis analysis hole model)\n")
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${tree}/src -DLAYERS=${tree}/map.cmake
                        -P ${CHECK}
                RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_VARIABLE out)
if(status EQUAL 0)
  message(FATAL_ERROR "upward includes were accepted")
endif()
foreach(expected "hole/upward_angle.cpp: includes analysis/" "model/upward_quote.hpp: includes hole/")
  string(FIND "${err}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "no report of ${expected} in:\n${err}")
  endif()
endforeach()
foreach(wrong "field.hpp" "analysis.hpp")
  string(FIND "${err}" "${wrong}:" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "a good include reported (${wrong}):\n${err}")
  endif()
endforeach()
