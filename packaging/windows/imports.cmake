# What the programs and libraries of a Windows program folder load that the
# folder does not hold, and what it holds that nothing loads. Windows finds
# a program's libraries beside it: those of Qt (Qt6*) and of the MinGW
# runtime (lib*) must be in the folder itself; any other name is Windows'
# own. CMake's own dependency reader lowercases the names and so misses them
# on a case-sensitive file system; objdump reads them as written.
#
# As a script it checks installed or built program folders:
#   cmake -DFOLDERS=<folder;...> -DOBJDUMP=<MinGW objdump> -P imports.cmake
# and fails naming every library a folder lacks. Included, it offers
# station_windows_imports().

cmake_minimum_required(VERSION 3.25)

# station_windows_imports(folder objdump missing_var unused_var)
# missing_var: "<library> (needed by <file>)" for each library lacking;
# unused_var: the folder's own Qt and MinGW libraries that nothing loads.
function(station_windows_imports folder objdump missing_var unused_var)
  file(GLOB _held RELATIVE "${folder}" "${folder}/*.dll" "${folder}/*.DLL")
  set(_have)
  foreach(n IN LISTS _held)
    string(TOLOWER "${n}" n)
    list(APPEND _have "${n}")
  endforeach()
  file(GLOB_RECURSE _binaries "${folder}/*.exe" "${folder}/*.dll" "${folder}/*.EXE" "${folder}/*.DLL")
  set(_missing)
  set(_loaded)
  foreach(f IN LISTS _binaries)
    execute_process(COMMAND "${objdump}" -p "${f}" OUTPUT_VARIABLE _dump RESULT_VARIABLE _rc)
    if(NOT _rc EQUAL 0)
      message(FATAL_ERROR "${objdump} could not read ${f}")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\n]+" _imports "${_dump}")
    file(RELATIVE_PATH _rel "${folder}" "${f}")
    foreach(i IN LISTS _imports)
      string(REGEX REPLACE "DLL Name: " "" _n "${i}")
      string(STRIP "${_n}" _n)
      string(TOLOWER "${_n}" _n)
      list(APPEND _loaded "${_n}")
      if(NOT _n IN_LIST _have AND _n MATCHES "^(qt6|lib)")
        list(APPEND _missing "${_n} (needed by ${_rel})")
      endif()
    endforeach()
  endforeach()
  set(_unused)
  foreach(n IN LISTS _have)
    if(n MATCHES "^(qt6|lib)" AND NOT n IN_LIST _loaded)
      list(APPEND _unused "${n}")
    endif()
  endforeach()
  set(${missing_var} "${_missing}" PARENT_SCOPE)
  set(${unused_var} "${_unused}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  if(NOT FOLDERS OR NOT OBJDUMP)
    message(FATAL_ERROR "usage: cmake -DFOLDERS=<folder;...> -DOBJDUMP=<objdump> -P imports.cmake")
  endif()
  set(_failed OFF)
  foreach(folder IN LISTS FOLDERS)
    if(NOT IS_DIRECTORY "${folder}")
      message(SEND_ERROR "${folder} is no folder")
      set(_failed ON)
      continue()
    endif()
    station_windows_imports("${folder}" "${OBJDUMP}" _missing _unused)
    foreach(m IN LISTS _missing)
      message(SEND_ERROR "${folder} lacks ${m}")
      set(_failed ON)
    endforeach()
  endforeach()
  if(NOT _failed)
    message(STATUS "every Qt and MinGW library the programs load is beside them")
  endif()
endif()
