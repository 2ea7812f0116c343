# Cross build for Windows (x86_64) with MinGW-w64 on Debian, against the Qt
# for Windows named by the environment variable STATION_WINDOWS_QT (an
# unpacked install prefix). The host tools (moc, rcc) come from this
# machine's Qt of the same version (QT_HOST_PATH, set by the preset).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Read from the environment (try_compile projects see the environment, not
# the cache of the project being configured), else from the cache of an
# earlier configure, so that a rebuild re-configures without it.
set(_station_windows_qt "$ENV{STATION_WINDOWS_QT}")
if(NOT _station_windows_qt AND STATION_WINDOWS_QT)
  set(_station_windows_qt "${STATION_WINDOWS_QT}")
endif()
if(NOT _station_windows_qt)
  message(FATAL_ERROR "STATION_WINDOWS_QT is not set: point it at the unpacked Qt for Windows "
    "(see the README, section Windows)")
endif()
set(STATION_WINDOWS_QT "${_station_windows_qt}" CACHE PATH "The unpacked Qt for Windows")
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${_station_windows_qt})
list(PREPEND CMAKE_PREFIX_PATH ${_station_windows_qt})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
