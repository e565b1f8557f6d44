# Windows x86, from Windows 2000 (NT 5.0) on.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLE i686-w64-mingw32)
set(PORTDUMP_OLDEST_NT 5.0)
set(PORTDUMP_WIN32_WINNT 0x0500)
# Debian's default, stated: the exes run on P6-class CPUs (CMOV, FCOMI) and
# up, as MinGW-w64's own start-up code needs them anyway.
set(PORTDUMP_MARCH -march=pentiumpro)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
