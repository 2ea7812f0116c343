# Debian package: the programs in /opt/member-station (the program folder, where
# the station also keeps its settings, photos and error log), a desktop entry,
# and the maintainer scripts that prepare the folder and the ODBC driver name.

if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsInstaller.cmake)
  return()
endif()

set(STATION_PROGRAM_DIR opt/member-station)

install(TARGETS member-station serial-test station-check RUNTIME DESTINATION ${STATION_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/member-station.desktop DESTINATION usr/share/applications)
file(GLOB _sql ${PROJECT_SOURCE_DIR}/db/sql/*.sql)
if(_sql)
  install(FILES ${_sql} DESTINATION usr/share/doc/member-station/sql)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME member-station)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_SET_DESTDIR OFF)
set(CPACK_PACKAGE_CONTACT "Member station team <station@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Study-cafe member registration station")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries: what the maintainer scripts run (adduser for
# addgroup, odbcinst) and what the station loads at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "adduser, unixodbc, odbcinst, tdsodbc, fonts-nanum, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/packaging/postinst ${PROJECT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
