# Regenerates the pictures into a scratch folder and fails on any byte that
# differs from the committed copies.
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
execute_process(COMMAND "${ARTGEN}" --out "${OUT}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "artgen failed (${rc})")
endif()
foreach(name rmpar_sf1.png rp_sky.png rp_bkgr.png tmlogo.png)
  if(NOT EXISTS "${COMMITTED}/${name}")
    message(FATAL_ERROR "${COMMITTED}/${name} is missing")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${OUT}/${name}" "${COMMITTED}/${name}"
                  RESULT_VARIABLE diff)
  if(NOT diff EQUAL 0)
    message(FATAL_ERROR "${name} differs from the committed copy: rerun artgen --out assets/graphx")
  endif()
  message(STATUS "${name} reproduced byte for byte")
endforeach()
