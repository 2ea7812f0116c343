#!/bin/bash
# The Wine prefix of a build's Windows tests (a CTest fixture).
#   wineprefix.sh up DIR     makes DIR once (wineboot, ~10 s; kept for later runs)
#                            and starts its Wine server
#   wineprefix.sh down DIR   ends DIR's Wine server, so no Wine process stays behind
set -u
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
case "$1" in
  up)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      rm -rf "$WINEPREFIX"
      wineboot --init >/dev/null 2>&1 || { echo "wineboot failed in $WINEPREFIX" >&2; exit 1; }
    fi
    # Wine hands QT_* variables of the Unix environment to Windows programs
    # only renamed (WINE_HOST_QT_*): the tests' platform is the prefix's own.
    # Its screen a 1920 x 1080 display (offscreen.json; a path without a
    # drive letter, which Qt would take for an option, on the tests' drive Z:).
    platform="offscreen:configfile=$(cd "$(dirname "$0")" && pwd)/offscreen.json"
    if ! grep -qF "\"QT_QPA_PLATFORM\"=\"$platform\"" "$WINEPREFIX/user.reg" 2>/dev/null; then
      wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /t REG_SZ /d "$platform" /f >/dev/null 2>&1 \
        || { echo "could not set QT_QPA_PLATFORM in $WINEPREFIX" >&2; exit 1; }
    fi
    # The prefix is complete once its Wine server has written it out and ended.
    wineserver --wait
    [ -f "$WINEPREFIX/system.reg" ] || { echo "no Wine prefix in $WINEPREFIX" >&2; exit 1; }
    # One server, with Wine's own services, for all the tests until "down".
    # Started by a test instead, the server and the services would inherit
    # that test's output and CTest would wait on it until its time-out (as
    # it did, for whichever test happened to come first).
    setsid wineserver --persistent </dev/null >/dev/null 2>&1
    wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || { echo "Wine does not start in $WINEPREFIX" >&2; exit 1; }
    ;;
  down)
    [ -d "$WINEPREFIX" ] && wineserver --kill 2>/dev/null
    exit 0
    ;;
  *) echo "usage: $0 up|down DIR" >&2; exit 2 ;;
esac
