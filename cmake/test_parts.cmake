# Test parts whose tools may be missing. Where one is missing the configure
# leaves it out and says so in one line; where PORTDUMP_TESTS_REQUIRED is set
# in the environment (./test-all sets it) a missing part fails the configure.
set(PORTDUMP_LEFT_OUT "")
set(PORTDUMP_LEFT_OUT_PACKAGES "")

# The packages of test-packages that bring PART.
function(portdump_packages_of part result)
  file(STRINGS ${PROJECT_SOURCE_DIR}/test-packages lines REGEX "^[^#]")
  set(packages "")
  foreach(line ${lines})
    if(line MATCHES "^([^ \t]+)[ \t]+${part}$")
      list(APPEND packages ${CMAKE_MATCH_1})
    endif()
  endforeach()
  set(${result} ${packages} PARENT_SCOPE)
endfunction()

# Notes the test part DESCRIPTION as left out for want of the packages of KIND.
function(portdump_leave_out kind description)
  portdump_packages_of(${kind} packages)
  if(DEFINED ENV{PORTDUMP_TESTS_REQUIRED})
    string(REPLACE ";" " " line "${packages}")
    message(FATAL_ERROR "${description} cannot run here; it needs: apt-get install ${line}")
  endif()
  set(PORTDUMP_LEFT_OUT ${PORTDUMP_LEFT_OUT} "${description}" PARENT_SCOPE)
  set(PORTDUMP_LEFT_OUT_PACKAGES ${PORTDUMP_LEFT_OUT_PACKAGES} ${packages} PARENT_SCOPE)
endfunction()

function(portdump_report_left_out)
  if(PORTDUMP_LEFT_OUT)
    set(packages ${PORTDUMP_LEFT_OUT_PACKAGES})
    list(REMOVE_DUPLICATES packages)
    string(REPLACE ";" ", " parts "${PORTDUMP_LEFT_OUT}")
    string(REPLACE ";" " " packages "${packages}")
    message(STATUS "Tests left out: ${parts}; ./test-all installs what they need, or: apt-get install ${packages}")
  endif()
endfunction()
