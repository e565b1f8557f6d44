# Cross build for Windows with the MinGW-w64 compilers of MINGW_TRIPLE.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The headers then hide every API newer than the oldest Windows the build
# starts on, so such a call fails to compile, not on the user's machine.
set(CMAKE_C_FLAGS_INIT "-D_WIN32_WINNT=${PORTDUMP_WIN32_WINNT} ${PORTDUMP_MARCH}")
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=${PORTDUMP_WIN32_WINNT} ${PORTDUMP_MARCH}")
