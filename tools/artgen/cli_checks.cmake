# Command-line behaviour on bad input: one clear message, a failing exit
# code, and whatever can still be made is made.
set(dir "${OUT}")
file(REMOVE_RECURSE "${dir}")
file(MAKE_DIRECTORY "${dir}")

execute_process(COMMAND "${ARTGEN}" RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "usage")
  message(FATAL_ERROR "no arguments should print usage and fail (rc ${rc})")
endif()

execute_process(COMMAND "${ARTGEN}" --out "${dir}/missing" RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "not a folder")
  message(FATAL_ERROR "a missing output folder should be reported (rc ${rc}: ${err})")
endif()

execute_process(COMMAND "${ARTGEN}" --out "${dir}" --font "${dir}/no_font.ttf" RESULT_VARIABLE rc ERROR_VARIABLE err)
string(REGEX MATCHALL "no_font" mentions "${err}")
list(LENGTH mentions count)
if(NOT rc EQUAL 1 OR NOT count EQUAL 1)
  message(FATAL_ERROR "a missing font should be reported once and fail (rc ${rc}: ${err})")
endif()
foreach(name rmpar_sf1.png rp_sky.png rp_bkgr.png tmlogo.png)
  if(NOT EXISTS "${dir}/${name}")
    message(FATAL_ERROR "${name} should still be written without the font")
  endif()
endforeach()
message(STATUS "bad input handled")

# --icons alone writes the three icons and nothing else.
file(REMOVE_RECURSE "${dir}/icons")
file(MAKE_DIRECTORY "${dir}/icons")
execute_process(COMMAND "${ARTGEN}" --icons "${dir}/icons" RESULT_VARIABLE rc)
file(GLOB made RELATIVE "${dir}/icons" "${dir}/icons/*")
list(SORT made)
if(NOT rc EQUAL 0 OR NOT made STREQUAL "icon-128.png;icon-256.png;icon-64.png")
  message(FATAL_ERROR "--icons should write the three icons only (rc ${rc}: ${made})")
endif()
message(STATUS "icons alone")
