#!/usr/bin/env bash
# Builds the Qt for Windows that the "windows" preset uses (Qt 6.4.2 for
# x86_64 MinGW-w64, posix threads, release, shared) from source, for anyone
# without the archive qt-6.4.2-mingw-w64-x86_64.tar.xz. Took 24 min 27 s on a
# fresh 2-core machine; CI does not run it.
#
#   scripts/build-windows-qt.sh QTSERIALPORT_ARCHIVE [WORK_FOLDER]
#
# QTSERIALPORT_ARCHIVE: Qt's own qtserialport-everywhere-src-6.4.2.tar.xz (or
# qtserialport-6.4.2.tar.xz, the tag v6.4.2 of Qt's public repository).
# qtbase, qtshadertools and qtmultimedia come from Debian's source packages
# (apt-get source, which needs a deb-src line for bookworm main).
# WORK_FOLDER (default build/windows-qt-src) holds the sources and builds;
# the result is WORK_FOLDER/qt-6.4.2-mingw-w64-x86_64 (an install prefix)
# and, beside it, qt-6.4.2-mingw-w64-x86_64.tar.xz. Then:
#   STATION_WINDOWS_QT=<that prefix> cmake --preset windows
#
# Needs: g++-mingw-w64-x86-64-posix cmake ninja-build perl dpkg-dev
# qt6-base-dev qt6-base-dev-tools qt6-shadertools-dev (the host tools of the
# same Qt version) and xz-utils.
set -euo pipefail

serialport_archive=${1:?usage: $0 QTSERIALPORT_ARCHIVE [WORK_FOLDER]}
serialport_archive=$(cd "$(dirname "$serialport_archive")" && pwd)/$(basename "$serialport_archive")
work=${2:-build/windows-qt-src}
version=6.4.2
name=qt-$version-mingw-w64-x86_64
jobs=${STATION_BUILD_JOBS:-2}

mkdir -p "$work"
work=$(cd "$work" && pwd)
prefix=$work/$name
mingw_lib=/usr/x86_64-w64-mingw32/lib

for tool in x86_64-w64-mingw32-g++-posix cmake ninja perl dpkg-source /usr/lib/qt6/libexec/moc; do
  command -v "$tool" >/dev/null || { echo "build-windows-qt: $tool is missing" >&2; exit 1; }
done
[ -f /usr/lib/x86_64-linux-gnu/cmake/Qt6ShaderToolsTools/Qt6ShaderToolsToolsConfig.cmake ] || {
  echo "build-windows-qt: the host qsb is missing (package qt6-shadertools-dev)" >&2; exit 1; }
if [ "$(dpkg-query -W -f '${Version}' qt6-base-dev 2>/dev/null | cut -d- -f1 | cut -d+ -f1)" != "$version" ]; then
  echo "build-windows-qt: the host Qt (qt6-base-dev) must be $version too" >&2
  exit 1
fi

cd "$work"

# The toolchain file of the Qt build.
cat >mingw.cmake <<'TOOLCHAIN'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
TOOLCHAIN

# Debian's sources (each unpacks to a folder qt6-<module>-<version>).
source_of() { # package
  local dir
  dir=$(find . -maxdepth 1 -type d -name "$1-$version*" | head -n1)
  if [ -z "$dir" ]; then
    apt-get source "$1=$version*" >&2 || apt-get source "$1" >&2
    dir=$(find . -maxdepth 1 -type d -name "$1-$version*" | head -n1)
  fi
  [ -n "$dir" ] || { echo "build-windows-qt: no source of $1 $version (add a deb-src line)" >&2; exit 1; }
  echo "$work/${dir#./}"
}
qtbase=$(source_of qt6-base)
qtshadertools=$(source_of qt6-shadertools)
qtmultimedia=$(source_of qt6-multimedia)
if [ ! -d "qtserialport-src" ]; then
  mkdir qtserialport-src
  tar -xf "$serialport_archive" -C qtserialport-src --strip-components=1
fi
qtserialport=$work/qtserialport-src

# qtbase
mkdir -p build-qtbase
(
  cd build-qtbase
  "$qtbase/configure" -qt-host-path /usr -prefix "$prefix" -release \
    -opensource -confirm-license -nomake examples -nomake tests -no-opengl -no-dbus -no-icu \
    -no-feature-sql -no-feature-printsupport -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre \
    -qt-harfbuzz -qt-freetype -- -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_TOOLCHAIN_FILE="$work/mingw.cmake" -DFEATURE_tabletevent=OFF
  cmake --build . --parallel "$jobs"
  cmake --install .
)

# Qt Multimedia's Windows sources name MinGW's headers (and Qt's qurl.h) with
# other letter cases than the files have: a folder of links by those names.
caselinks=$work/case-links
mkdir -p "$caselinks"
link_header() { # name-used real-file
  [ -f "$2" ] || { echo "build-windows-qt: $2 is missing" >&2; exit 1; }
  ln -sf "$2" "$caselinks/$1"
}
inc=/usr/share/mingw-w64/include
link_header Dbt.h "$inc/dbt.h"
link_header Functiondiscoverykeys_devpkey.h "$inc/functiondiscoverykeys_devpkey.h"
link_header InitGuid.h "$inc/initguid.h"
link_header Mferror.h "$inc/mferror.h"
link_header Mfidl.h "$inc/mfidl.h"
link_header Mfreadwrite.h "$inc/mfreadwrite.h"
link_header Wmcodecdsp.h "$inc/wmcodecdsp.h"
link_header QUrl.h "$prefix/include/QtCore/qurl.h"

module() { # name source [extra cmake arguments...]
  local build=$work/build-$1 src=$2
  shift 2
  "$prefix/bin/qt-cmake" -S "$src" -B "$build" -G Ninja -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF "$@"
  cmake --build "$build" --parallel "$jobs"
  cmake --install "$build"
}
module qtshadertools "$qtshadertools"
# Media Foundation by path: FindWMF looks for capitalised names, MinGW's
# files are lower case, and without them the Windows backend is left out.
module qtmultimedia "$qtmultimedia" \
  -DWMF_MF_LIBRARY=$mingw_lib/libmf.a -DWMF_MFUUID_LIBRARY=$mingw_lib/libmfuuid.a \
  -DWMF_MFPLAT_LIBRARY=$mingw_lib/libmfplat.a -DWMF_MFCORE_LIBRARY=$mingw_lib/libmfcore.a \
  -DWMF_PROPSYS_LIBRARY=$mingw_lib/libpropsys.a "-DCMAKE_CXX_FLAGS=-I$caselinks"
grep -q "Windows Media Foundation.*yes" "$work/build-qtmultimedia/config.summary" 2>/dev/null || {
  echo "build-windows-qt: Qt Multimedia was configured without Media Foundation" >&2; exit 1; }
[ -f "$prefix/plugins/multimedia/windowsmediaplugin.dll" ] || {
  echo "build-windows-qt: the Media Foundation plugin was not built" >&2; exit 1; }
module qtserialport "$qtserialport"

tar -cJf "$work/$name.tar.xz" -C "$work" "$name"
echo "Qt for Windows: $prefix (archive $work/$name.tar.xz)"
