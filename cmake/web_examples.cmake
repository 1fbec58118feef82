# The example job files the web page runs from a link: every examples/*.toml but those that name
# a file of load cases or a materials file, which the page does not take (it reads one job file),
# the material libraries such jobs name (files without a [hole] table: not jobs), and joint jobs
# ([joint], without a [hole] table too), which have no joint form or job pictures yet.
function(holestress_page_examples examples_dir out)
  file(GLOB examples CONFIGURE_DEPENDS ${examples_dir}/*.toml)
  set(page_examples ${examples})
  foreach(example ${examples})
    file(STRINGS ${example} beside REGEX "^[ \t]*(load_cases_file|materials_file)[ \t]*=")
    file(STRINGS ${example} hole REGEX "^[ \t]*\\[hole\\]")
    file(STRINGS ${example} joint REGEX "^[ \t]*\\[joint\\]")
    if(beside OR joint OR NOT hole)
      list(REMOVE_ITEM page_examples ${example})
    endif()
  endforeach()
  set(${out} ${page_examples} PARENT_SCOPE)
endfunction()
