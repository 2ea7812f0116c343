#!/bin/bash
# Runs one test program the way the station runs: from a program folder of
# its own (the program's files are found beside the executable), with a
# working folder elsewhere. Both are made fresh and removed afterwards; a
# test that leaves anything in the working folder fails.
#
#   in-program-folder.sh ROOT PROGRAM [ARGUMENTS...]
#
# ROOT/NAME.PID/program holds a hard link to PROGRAM (a copy across file
# systems), ROOT/NAME.PID/work is the working folder. The test finds its
# folder in STATION_TEST_PROGRAM_FOLDER (tests/support/programfolder.h).
set -u

mkdir -p "$1" || exit 1
root=$(cd "$1" && pwd)
program=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
shift 2
# A timeout kills a launcher without a chance to tidy up: the next launch
# removes the folders of launchers that are gone.
for old in "$root"/*.[0-9]*; do
    [ -d "$old" ] || continue
    pid=${old##*.}
    if [ ! -d "/proc/$pid" ]; then
        chmod -R u+w "$old" 2>/dev/null
        rm -rf "$old"
    fi
done

base=$root/$(basename "$program").$$
tidy() {
    chmod -R u+w "$base" 2>/dev/null
    rm -rf "$base"
}
trap tidy EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

tidy
mkdir -p "$base/program" "$base/work" || exit 1
executable=$base/program/$(basename "$program")
ln "$program" "$executable" 2>/dev/null || cp -p "$program" "$executable" || exit 1

cd "$base/work" || exit 1
STATION_TEST_PROGRAM_FOLDER=$base/program "$executable" "$@"
rc=$?

left=$(ls -A "$base/work")
if [ -n "$left" ]; then
    echo "in-program-folder.sh: the test left files in its working folder:" $left >&2
    [ "$rc" -eq 0 ] && rc=1
fi
exit "$rc"
