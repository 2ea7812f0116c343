#!/usr/bin/env bash
# Copies the screens as the end-to-end run photographed them (with openbox's
# frame) into docs/screenshots for the README.
#   tests/e2e/refresh-screenshots.sh [build folder]     (default build/ci)
set -euo pipefail
cd "$(dirname "$0")/../.."
shots=${1:-build/ci}/e2e/screenshots
for name in settings messagebox yesno camera registration-empty registration-member serial-test; do
    if [ -f "$shots/$name-window.png" ]; then
        cp "$shots/$name-window.png" "docs/screenshots/$name.png"
    else
        echo "refresh-screenshots: $shots/$name-window.png is missing (run ctest -L e2e first)" >&2
    fi
done
