#!/usr/bin/env bash
# Copies the screens as the end-to-end runs photographed them (with openbox's
# frame) into docs/screenshots for the README: the Linux station's from the
# ci build, the Windows station's (under Wine) from the windows build.
#   tests/e2e/refresh-screenshots.sh [linux build folder] [windows build folder]
set -euo pipefail
cd "$(dirname "$0")/../.."
copy() { # shots folder, names...
    local shots=$1 name
    shift
    for name in "$@"; do
        if [ -f "$shots/$name-window.png" ]; then
            cp "$shots/$name-window.png" "docs/screenshots/$name.png"
        else
            echo "refresh-screenshots: $shots/$name-window.png is missing (run the end-to-end label first)" >&2
        fi
    done
}
copy "${1:-build/ci}/e2e/screenshots" settings messagebox yesno camera registration-empty registration-member serial-test
copy "${2:-build/windows}/e2e/screenshots" windows-settings windows-registration-empty windows-registration-member \
    windows-yesno windows-camera-none
