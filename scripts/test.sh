#!/usr/bin/env bash
# Installs what is needed, then builds and runs every test, first with
# warnings as errors (preset "ci"), then under ASan+UBSan (preset "asan").
# After the ci preset the Windows sources are compiled with the MinGW-w64
# cross compiler (scripts/check-windows.sh) and, when run as root, the
# end-to-end scenarios (label e2e) run against the installed package, and
# the Debian package is built,
# installed and removed again (scripts/check-package.sh).
#   scripts/test.sh            both presets
#   scripts/test.sh ci         one preset
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${STATION_SKIP_SETUP:-0}" != 1 ]; then
  bash scripts/setup.sh
fi

bash scripts/check-format.sh

# shellcheck source=../tests/support/postgres.sh
source tests/support/postgres.sh start
trap 'station_pg_stop' EXIT

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(ci asan)

for preset in "${presets[@]}"; do
  echo "=== preset $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)"
  ctest --preset "$preset" -j "$(nproc)" -LE e2e
  if [ "$preset" = ci ]; then
    # Every source the Windows build compiles, compiled for Windows (syntax only).
    bash scripts/check-windows.sh build/ci
    # The installed package driven as an operator through X, one scenario at
    # a time (they share the program folder); skipped when not root.
    ctest --preset ci -L e2e
    # The package an installer gets, installed and removed on this machine.
    bash scripts/check-package.sh build/ci
  fi
done

# The Windows installer built, installed silently under Wine, and its
# station driven through X (label e2e-windows, one scenario at a time);
# only where the windows preset was built with its Qt at hand.
if [[ " ${presets[*]} " == *" windows "* ]] && [ -n "${STATION_WINDOWS_QT:-}" ] &&
  [ -f build/windows/CMakeCache.txt ]; then
  cmake --build --preset windows --target installer
  ctest --preset windows -L e2e-windows
fi
