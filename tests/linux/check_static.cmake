# Each of PROGRAMS is a static executable: no program interpreter, no shared
# libraries.
# usage: cmake -DREADELF=... -DPROGRAMS=a;b -P check_static.cmake
foreach(program ${PROGRAMS})
  execute_process(COMMAND ${READELF} --program-headers --dynamic ${program} OUTPUT_VARIABLE headers
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${READELF} ${program} failed")
  endif()
  if(headers MATCHES "INTERP|NEEDED")
    message(FATAL_ERROR "${program} is not static:\n${headers}")
  endif()
  message(STATUS "${program}: static")
endforeach()
