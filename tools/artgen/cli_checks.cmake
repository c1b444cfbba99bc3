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
