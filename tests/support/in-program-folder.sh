#!/bin/bash
# Runs one test program the way the station runs: from a program folder of
# its own (the program's files are found beside the executable), with a
# working folder elsewhere. Both are made fresh and removed afterwards; a
# test that leaves anything in the working folder fails.
#
#   in-program-folder.sh ROOT PROGRAM [ARGUMENTS...]
#   in-program-folder.sh --wine RUNTIME ROOT PROGRAM.exe [ARGUMENTS...]
#
# ROOT/NAME.PID/program holds a hard link to PROGRAM (a copy across file
# systems), ROOT/NAME.PID/work is the working folder. The test finds its
# folder in STATION_TEST_PROGRAM_FOLDER (tests/support/programfolder.h).
#
# With --wine the program is a Windows test program run under Wine, and the
# program folder also holds hard links of everything in RUNTIME (the DLLs and
# Qt's plugin folders, as an installed station has them beside it); the test
# finds their names in STATION_TEST_PROGRAM_RUNTIME and leaves them alone.
# WINEPREFIX (the build's, see wineprefix.sh) and ODBCSYSINI come from the
# test's environment: Wine's odbc32 hands ODBC calls to this machine's
# unixODBC, which reads ODBCSYSINI.
set -u

runtime=
if [ "${1:-}" = --wine ]; then
    runtime=$(cd "$2" && pwd) || exit 1
    shift 2
fi
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
if [ -z "$runtime" ]; then
    STATION_TEST_PROGRAM_FOLDER=$base/program "$executable" "$@"
    rc=$?
else
    cp -al "$runtime/." "$base/program/" 2>/dev/null || cp -a "$runtime/." "$base/program/" || exit 1
    kept=$(cd "$runtime" && ls -A | tr '\n' ';')
    # Qt Test's log to stdout goes to the debugger's output on Windows when
    # stdout is no console (as under ctest): the log goes to a file, shown
    # after. Wine maps the Unix root to drive Z:. Wine's own output goes to
    # a file too: a Wine service the program starts (the desktop, the
    # server) inherits it and lives on, and CTest would wait for the end of
    # its output until the time-out.
    STATION_TEST_PROGRAM_FOLDER="Z:$base/program" STATION_TEST_PROGRAM_RUNTIME="$kept" \
        wine "$executable" -o "Z:$base/log.txt,txt" "$@" </dev/null >"$base/wine.txt" 2>&1
    rc=$?
    cat "$base/log.txt" 2>/dev/null
    cat "$base/wine.txt" >&2
fi

left=$(ls -A "$base/work")
if [ -n "$left" ]; then
    echo "in-program-folder.sh: the test left files in its working folder:" $left >&2
    [ "$rc" -eq 0 ] && rc=1
fi
exit "$rc"
