#!/usr/bin/env bash
# Installs what is needed, then builds and runs every test, first with
# warnings as errors (preset "ci"), then under ASan+UBSan (preset "asan").
# After the ci preset, when run as root, the end-to-end scenarios (label
# e2e) run against the installed package, and the Debian package is built,
# installed and removed again (scripts/check-package.sh). Last, when the Qt
# for Windows is at hand, the Windows build (preset "windows") and its tests
# under Wine (label windows), then its installer and the installed station
# driven end to end under Wine (label e2e-windows).
#   scripts/test.sh            ci, asan and windows
#   scripts/test.sh ci         one preset (also: asan, windows)
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${STATION_SKIP_SETUP:-0}" != 1 ]; then
  bash scripts/setup.sh
fi

bash scripts/check-format.sh

# shellcheck source=../tests/support/postgres.sh
source tests/support/postgres.sh start
trap 'station_pg_stop' EXIT

# The Qt for Windows: STATION_WINDOWS_QT (an unpacked install prefix), or
# the archive STATION_WINDOWS_QT_ARCHIVE (by default the one in the shared
# folder beside the checkout, where there is one) unpacked once into build/.
windows_qt() {
  if [ -n "${STATION_WINDOWS_QT:-}" ]; then
    [ -f "$STATION_WINDOWS_QT/lib/cmake/Qt6/Qt6Config.cmake" ] && return 0
    echo "STATION_WINDOWS_QT=$STATION_WINDOWS_QT holds no Qt (lib/cmake/Qt6 missing)" >&2
    return 1
  fi
  local archive=${STATION_WINDOWS_QT_ARCHIVE:-../shared/windows-qt/qt-6.4.2-mingw-w64-x86_64.tar.xz}
  [ -n "$archive" ] && [ -f "$archive" ] || return 1
  local name
  archive=$(cd "$(dirname "$archive")" && pwd)/$(basename "$archive")
  name=$(basename "$archive" .tar.xz)
  if [ ! -f "build/$name/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    echo "=== unpacking $archive into build/ ==="
    mkdir -p build
    rm -rf "build/$name" "build/$name.unpacking"
    mkdir "build/$name.unpacking"
    tar -xJf "$archive" -C "build/$name.unpacking"
    mv "build/$name.unpacking/$name" "build/$name"
    rm -rf "build/$name.unpacking"
  fi
  STATION_WINDOWS_QT=$(pwd)/build/$name
  export STATION_WINDOWS_QT
}

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(ci asan windows)

for preset in "${presets[@]}"; do
  if [ "$preset" = windows ]; then
    if ! windows_qt; then
      echo "=== preset windows SKIPPED: no Qt for Windows ==="
      echo "The Windows build and its tests under Wine were not run. To run them, set"
      echo "STATION_WINDOWS_QT to an unpacked Qt 6.4.2 for MinGW-w64, or"
      echo "STATION_WINDOWS_QT_ARCHIVE to qt-6.4.2-mingw-w64-x86_64.tar.xz (.ci/run names"
      echo "../shared/windows-qt/), or build it with scripts/build-windows-qt.sh (over an hour)."
      continue
    fi
    echo "=== preset windows (Qt from $STATION_WINDOWS_QT) ==="
    cmake --preset windows >/dev/null
    cmake --build --preset windows -j "$(nproc)"
    # Exactly the label windows: e2e-windows runs below, one at a time.
    ctest --preset windows -j "$(nproc)" -L '^windows$'
    # The Windows installer built, installed silently under Wine, and its
    # station driven through X (label e2e-windows).
    # Signed with a certificate made for the run, every file's signature
    # checked; the signed installer is the one the end-to-end tests install.
    bash scripts/check-signatures.sh build/windows
    ctest --preset windows -L e2e-windows
    continue
  fi
  echo "=== preset $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
  ctest --preset "$preset" -j "$(nproc)" -LE e2e
  if [ "$preset" = ci ]; then
    # The installed package driven as an operator through X, one scenario at
    # a time (they share the program folder); skipped when not root.
    ctest --preset ci -L e2e
    # The package an installer gets, installed and removed on this machine.
    bash scripts/check-package.sh build/ci
  fi
done

