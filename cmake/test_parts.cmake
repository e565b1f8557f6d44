# Test parts whose tools may be missing. Where one is missing the configure
# leaves it out and says so in one line at the end; where
# PORTDUMP_TESTS_REQUIRED is set in the environment (./test-all sets it) a
# missing part fails the configure.

# The packages of test-packages that bring the test part KIND.
function(portdump_packages_of kind result)
  file(STRINGS ${PROJECT_SOURCE_DIR}/test-packages lines REGEX "^[^#]")
  set(packages "")
  foreach(line ${lines})
    if(line MATCHES "^([^ \t]+)[ \t]+${kind}$")
      list(APPEND packages ${CMAKE_MATCH_1})
    endif()
  endforeach()
  set(${result} ${packages} PARENT_SCOPE)
endfunction()

# Leaves out the test part DESCRIPTION for want of the packages of KIND.
function(portdump_leave_out kind description)
  portdump_packages_of(${kind} packages)
  if(DEFINED ENV{PORTDUMP_TESTS_REQUIRED})
    string(REPLACE ";" " " line "${packages}")
    message(FATAL_ERROR "${description} cannot run here; it needs: apt-get install ${line}")
  endif()
  set_property(GLOBAL APPEND PROPERTY PORTDUMP_LEFT_OUT "${description}")
  set_property(GLOBAL APPEND PROPERTY PORTDUMP_LEFT_OUT_PACKAGES ${packages})
endfunction()

function(portdump_report_left_out)
  get_property(parts GLOBAL PROPERTY PORTDUMP_LEFT_OUT)
  get_property(packages GLOBAL PROPERTY PORTDUMP_LEFT_OUT_PACKAGES)
  if(parts)
    list(REMOVE_DUPLICATES packages)
    string(REPLACE ";" ", " parts "${parts}")
    string(REPLACE ";" " " packages "${packages}")
    message(STATUS "Tests left out: ${parts}; ./test-all installs what they need, or: apt-get install ${packages}")
  endif()
endfunction()
