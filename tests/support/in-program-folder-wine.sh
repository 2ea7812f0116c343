#!/bin/bash
# The Windows build's in-program-folder.sh: runs one Windows test program
# under Wine from a program folder of its own, which also holds what the
# program needs to run (hard links of the DLLs and Qt's plugin folders, as
# an installed station has them beside it), with a working folder elsewhere.
#
#   in-program-folder-wine.sh ROOT RUNTIME PROGRAM [ARGUMENTS...]
#
# WINEPREFIX (the build's, see wineprefix.sh) and ODBCSYSINI come from the
# test's environment; Wine's odbc32 hands ODBC calls to this machine's
# unixODBC, which reads ODBCSYSINI. The test finds its folder in
# STATION_TEST_PROGRAM_FOLDER and what it must leave there in
# STATION_TEST_PROGRAM_RUNTIME (tests/support/programfolder.h).
set -u

mkdir -p "$1" || exit 1
root=$(cd "$1" && pwd)
runtime=$(cd "$2" && pwd) || exit 1
program=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
shift 3
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
cp -al "$runtime/." "$base/program/" 2>/dev/null || cp -a "$runtime/." "$base/program/" || exit 1
kept=$(cd "$runtime" && ls -A | tr '\n' ';')

cd "$base/work" || exit 1
# Qt Test's log to stdout goes to the debugger's output on Windows when
# stdout is no console (as under ctest): the log goes to a file, shown after.
# Wine maps the Unix root to drive Z:.
STATION_TEST_PROGRAM_FOLDER="Z:$base/program" STATION_TEST_PROGRAM_RUNTIME="$kept" \
    wine "$executable" -o "Z:$base/log.txt,txt" "$@"
rc=$?
cat "$base/log.txt" 2>/dev/null

left=$(ls -A "$base/work")
if [ -n "$left" ]; then
    echo "in-program-folder-wine.sh: the test left files in its working folder:" $left >&2
    [ "$rc" -eq 0 ] && rc=1
fi
exit "$rc"
