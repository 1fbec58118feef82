# The example job files the web page runs from a link: every examples/*.toml but those that name
# a file of load cases, which the page does not take.
function(holestress_page_examples examples_dir out)
  file(GLOB examples CONFIGURE_DEPENDS ${examples_dir}/*.toml)
  set(page_examples ${examples})
  foreach(example ${examples})
    file(STRINGS ${example} batch REGEX "^[ \t]*load_cases_file[ \t]*=")
    if(batch)
      list(REMOVE_ITEM page_examples ${example})
    endif()
  endforeach()
  set(${out} ${page_examples} PARENT_SCOPE)
endfunction()
