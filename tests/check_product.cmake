# The product holds no test-only machinery: not the emulated machine's call
# log, fault injection and machine description, not the link-time wrappers
# that reach them, not a system root the tests could point elsewhere. Given
# SIZE_TOOL, it also has no large zeroed tables.
execute_process(COMMAND ${NM} -C ${PROGRAM} OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} ${PROGRAM} failed")
endif()
foreach(name emulated::BootMachine emulated::InjectFault emulated::CallAt emulated::CallCount emulated::kTestMachine
             emulated::AddSiliconImage emulated::SetPortAnswer emulated::RaiseControlEvent emulated::DefinitionCount
             emulated::OpenHandleCount emulated::CallRecord __wrap_ __real_ theSystemRoots)
  if(symbols MATCHES "${name}")
    message(FATAL_ERROR "${PROGRAM} carries the test-only ${name}")
  endif()
endforeach()
if(NOT SIZE_TOOL)
  message(STATUS "${PROGRAM}: no test control")
  return()
endif()
execute_process(COMMAND ${SIZE_TOOL} ${PROGRAM} OUTPUT_VARIABLE sizes RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT sizes MATCHES "\n *([0-9]+)\t *([0-9]+)\t *([0-9]+)")
  message(FATAL_ERROR "size ${PROGRAM} failed")
endif()
set(bss ${CMAKE_MATCH_3})
# The DOS name table (16 definitions of two 260-byte names) is the largest.
if(bss GREATER 16384)
  message(FATAL_ERROR "${PROGRAM} has ${bss} bytes of zeroed tables")
endif()
message(STATUS "${PROGRAM}: ${bss} bytes of bss, no test control")
