# Test parts whose tools may be missing. Where one is missing the configure
# leaves it out and says so in one line at the end; where
# PORTDUMP_TESTS_REQUIRED is set in the environment (./test-all sets it) a
# missing part fails the configure.

# The packages of test-packages that bring the test part KIND.
function(portdump_packages_of kind result)
  execute_process(COMMAND bash ${PROJECT_SOURCE_DIR}/tests/packages_of.sh ${kind} OUTPUT_VARIABLE packages
                  COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(packages UNIX_COMMAND "${packages}")
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

# The analysers both builds run, with the options they share. cppcheck 2.11
# and later limit the branches they follow unless told to follow all.
find_program(RUN_CLANG_TIDY run-clang-tidy)
find_program(CPPCHECK cppcheck)
if(CPPCHECK)
  execute_process(COMMAND ${CPPCHECK} --version OUTPUT_VARIABLE cppcheck_version)
  string(REGEX MATCH "[0-9]+\\.[0-9]+" cppcheck_version "${cppcheck_version}")
  set(PORTDUMP_CPPCHECK ${CPPCHECK} --enable=warning,style,performance,portability --std=c++17 --error-exitcode=1
                        --inline-suppr --quiet)
  if(cppcheck_version VERSION_GREATER_EQUAL 2.11)
    list(APPEND PORTDUMP_CPPCHECK --check-level=exhaustive)
  endif()
endif()

# The analysers' tests, clang_tidy${SUFFIX} and cppcheck${SUFFIX}, on the
# sources of the FOLDERS (of the source tree) that this build compiles, with
# the flags it compiles them with: both read its compile_commands.json.
function(portdump_analysers suffix)
  if(NOT (RUN_CLANG_TIDY AND CPPCHECK))
    portdump_leave_out(analysers "clang-tidy and cppcheck")
    return()
  endif()
  string(REGEX REPLACE "[][.+*?^$()|\\{}]" "\\\\\\0" source_regex "${PROJECT_SOURCE_DIR}")
  list(JOIN ARGN "|" folders_regex)
  add_test(NAME clang_tidy${suffix}
           COMMAND ${RUN_CLANG_TIDY} -p ${PROJECT_BINARY_DIR} -quiet -j 2 "^${source_regex}/(${folders_regex})/")
  list(TRANSFORM ARGN REPLACE "(.+)" "--file-filter=${PROJECT_SOURCE_DIR}/\\1/*" OUTPUT_VARIABLE filters)
  add_test(NAME cppcheck${suffix}
           COMMAND ${PORTDUMP_CPPCHECK} --project=${PROJECT_BINARY_DIR}/compile_commands.json ${filters})
endfunction()
