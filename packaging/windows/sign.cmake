# Signs the Windows programs and libraries with Authenticode (osslsigncode),
# in place, when a certificate is given; Windows' SmartScreen and Smart App
# Control warn about or block unsigned ones.
#   cmake -DPATHS=<files or folders> [-DQUIET=ON] [-DKEEP=<copy>] -P sign.cmake
#   PATHS  files, or folders whose .exe and .dll files (at any depth) are signed
#   QUIET  no line when nothing is signed (the build says it once)
#   KEEP   a copy of the (single) signed file is left there, for checking
# The certificate comes from the environment:
#   STATION_SIGN_PKCS12         a PKCS#12 file with the key and certificate
#   STATION_SIGN_PASSWORD       its password
#   STATION_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (optional)
cmake_minimum_required(VERSION 3.25)

set(_files)
foreach(p IN LISTS PATHS)
  if(IS_DIRECTORY "${p}")
    file(GLOB_RECURSE _found LIST_DIRECTORIES false "${p}/*.exe" "${p}/*.dll")
    list(APPEND _files ${_found})
  elseif(EXISTS "${p}")
    list(APPEND _files "${p}")
  else()
    message(FATAL_ERROR "signing: ${p} is missing")
  endif()
endforeach()

if("$ENV{STATION_SIGN_PKCS12}" STREQUAL "")
  if(NOT QUIET)
    message(STATUS "signing: no certificate (STATION_SIGN_PKCS12 not set): the Windows files are left unsigned")
  endif()
  return()
endif()
if(NOT EXISTS "$ENV{STATION_SIGN_PKCS12}")
  message(FATAL_ERROR "signing: STATION_SIGN_PKCS12 names no file: $ENV{STATION_SIGN_PKCS12}")
endif()
find_program(_ossl osslsigncode REQUIRED)

# The password through a file only this account reads, never on a command
# line others can list.
string(RANDOM LENGTH 12 _tag)
set(_private "${CMAKE_CURRENT_BINARY_DIR}/.sign-${_tag}")
file(MAKE_DIRECTORY "${_private}")
file(CHMOD "${_private}" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
file(WRITE "${_private}/pass" "$ENV{STATION_SIGN_PASSWORD}")

set(_timestamp)
if(NOT "$ENV{STATION_SIGN_TIMESTAMP_URL}" STREQUAL "")
  set(_timestamp -ts "$ENV{STATION_SIGN_TIMESTAMP_URL}")
endif()
set(_failed)
foreach(f IN LISTS _files)
  # Written beside, then moved over: a failed signing leaves the file whole.
  file(REMOVE "${f}.signed")
  execute_process(COMMAND "${_ossl}" sign -pkcs12 "$ENV{STATION_SIGN_PKCS12}"
      -readpass "${_private}/pass" -h sha256 -n "회원등록" ${_timestamp}
      -in "${f}" -out "${f}.signed"
    RESULT_VARIABLE _rc OUTPUT_VARIABLE _out ERROR_VARIABLE _out)
  if(_rc EQUAL 0)
    file(RENAME "${f}.signed" "${f}")
  else()
    file(REMOVE "${f}.signed")
    list(APPEND _failed "${f}: ${_out}")
  endif()
endforeach()
file(REMOVE_RECURSE "${_private}")
if(_failed)
  message(FATAL_ERROR "signing failed:\n${_failed}")
endif()
if(KEEP)
  file(COPY_FILE "${_files}" "${KEEP}")
endif()
list(LENGTH _files _count)
message(STATUS "signing: ${_count} file(s) signed")
