# Gathers what the Windows installer packs into one folder laid out as the
# installed program folder, and writes the installer's file lists from it:
# what is installed is exactly what the uninstaller removes and what gets the
# program files' permissions. Run by the target "installer":
#   cmake -DARGS=<file setting the values below> -P stage.cmake
#   STAGE     folder to fill (emptied first)
#   PROGRAMS  the built programs (.exe)
#   QT        the Qt for Windows prefix
#   DLLS      the Qt and MinGW runtime libraries, full paths
#   PLUGINS   plugins as <category>/<file> under QT/plugins
#   FONT_SOURCE the fonts folder the build put beside the station, copied
#             whole (fonts and licence) into FONT_DIR
#   OBJDUMP   the MinGW objdump (packaging/windows/imports.cmake)
#   LISTS     folder for install.nsh, uninstall.nsh, programfiles.nsh
cmake_minimum_required(VERSION 3.25)
include("${ARGS}")
include("${CMAKE_CURRENT_LIST_DIR}/imports.cmake")

file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}" "${LISTS}")

set(_installed) # paths relative to the program folder, forward slashes
macro(_stage_file src reldir)
  if(NOT EXISTS "${src}")
    message(FATAL_ERROR "installer: ${src} is missing")
  endif()
  get_filename_component(_name "${src}" NAME)
  if("${reldir}" STREQUAL "")
    set(_rel "${_name}")
  else()
    set(_rel "${reldir}/${_name}")
  endif()
  file(COPY "${src}" DESTINATION "${STAGE}/${reldir}")
  list(APPEND _installed "${_rel}")
endmacro()

foreach(p IN LISTS PROGRAMS)
  _stage_file("${p}" "")
endforeach()
foreach(p IN LISTS PLUGINS)
  get_filename_component(_cat "${p}" DIRECTORY)
  _stage_file("${QT}/plugins/${p}" "${_cat}")
endforeach()
file(GLOB _fonts "${FONT_SOURCE}/*")
if(NOT _fonts)
  message(FATAL_ERROR "installer: no fonts in ${FONT_SOURCE}")
endif()
foreach(f IN LISTS _fonts)
  _stage_file("${f}" "${FONT_DIR}")
endforeach()
set(_dlls ${DLLS})
list(SORT _dlls)
foreach(d IN LISTS _dlls)
  _stage_file("${d}" "")
endforeach()

# The libraries are the build's one list (cmake/Windows.cmake), which the
# tests run with too: it must hold every Qt and MinGW library the programs
# and plugins load, and nothing they do not.
station_windows_imports("${STAGE}" "${OBJDUMP}" _missing _unused)
if(_missing)
  message(FATAL_ERROR "installer: STATION_WINDOWS_DLLS (cmake/Windows.cmake) lacks ${_missing}")
endif()
if(_unused)
  message(FATAL_ERROR "installer: nothing loads ${_unused} of STATION_WINDOWS_DLLS (cmake/Windows.cmake)")
endif()

# The lists, in NSIS syntax. Folders first as they are created, last as they
# are removed (only when empty).
set(_install "")
set(_uninstall "")
set(_programfiles "")
set(_dirs)
foreach(rel IN LISTS _installed)
  get_filename_component(_dir "${rel}" DIRECTORY)
  string(REPLACE "/" "\\" _win "${rel}")
  string(REPLACE "/" "\\" _windir "${_dir}")
  if(_dir STREQUAL "")
    string(APPEND _install "SetOutPath \"$INSTDIR\"\n")
  else()
    string(APPEND _install "SetOutPath \"$INSTDIR\\${_windir}\"\n")
    list(APPEND _dirs "${_dir}")
  endif()
  string(APPEND _install "File \"${STAGE}/${rel}\"\n")
  string(APPEND _uninstall "Delete \"$INSTDIR\\${_win}\"\n")
  string(APPEND _programfiles "!insertmacro StationProgramFile \"$INSTDIR\\${_win}\"\n")
endforeach()
list(REMOVE_DUPLICATES _dirs)
list(SORT _dirs) # parents before children
set(_folders "")
set(_seen)
foreach(d IN LISTS _dirs)
  get_filename_component(_parent "${d}" DIRECTORY)
  foreach(f IN ITEMS "${_parent}" "${d}")
    if(NOT f STREQUAL "" AND NOT f IN_LIST _seen)
      list(APPEND _seen "${f}")
      string(REPLACE "/" "\\" _winf "${f}")
      string(APPEND _folders "!insertmacro StationProgramFolder \"$INSTDIR\\${_winf}\"\n")
    endif()
  endforeach()
endforeach()
list(SORT _dirs ORDER DESCENDING) # children before parents
foreach(d IN LISTS _dirs)
  string(REPLACE "/" "\\" _windir "${d}")
  string(APPEND _uninstall "RMDir \"$INSTDIR\\${_windir}\"\n")
  # Parents of nested folders too (plugins\platforms -> plugins).
  get_filename_component(_parent "${d}" DIRECTORY)
  if(NOT _parent STREQUAL "" AND NOT _parent IN_LIST _dirs)
    string(REPLACE "/" "\\" _winparent "${_parent}")
    string(APPEND _uninstall "RMDir \"$INSTDIR\\${_winparent}\"\n")
  endif()
endforeach()
file(WRITE "${LISTS}/install.nsh" "${_install}")
file(WRITE "${LISTS}/uninstall.nsh" "${_uninstall}")
file(WRITE "${LISTS}/programfiles.nsh" "${_folders}${_programfiles}")
list(LENGTH _installed _count)
message(STATUS "installer: ${_count} files staged in ${STAGE}")
