# Fails where a path git tracks has a character or a name that Windows does
# not allow, so that the repository of this Windows tool checks out there.
# usage: cmake -DGIT=git -DSOURCE=<checkout> -P check_path_names.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${GIT} -c core.quotepath=off ls-files WORKING_DIRECTORY ${SOURCE}
                OUTPUT_VARIABLE paths RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "git ls-files failed in ${SOURCE}")
endif()
string(STRIP "${paths}" paths)
string(REPLACE ";" "<semicolon>" paths "${paths}")
string(REPLACE "\n" ";" paths "${paths}")
set(bad "")
foreach(path ${paths})
  string(REPLACE "/" ";" names "${path}")
  foreach(name ${names})
    string(TOUPPER "${name}" upper)
    # git quotes a name with control characters, which Windows forbids too.
    if(name MATCHES "[<>:\"|?*\\\\]" OR name MATCHES "[. ]$"
       OR upper MATCHES "^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$")
      list(APPEND bad "${path}")
      break()
    endif()
  endforeach()
endforeach()
list(LENGTH paths count)
if(bad)
  list(LENGTH bad bad_count)
  list(JOIN bad "\n  " list)
  message(FATAL_ERROR "${bad_count} of ${count} tracked paths cannot be checked out on Windows:\n  ${list}")
endif()
message(STATUS "${count} tracked paths, all of names Windows allows")
