#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and proves on this
# machine what an installer relies on: the package depends on every command
# its maintainer scripts run; the files land in /opt/member-station; a member
# of the group member-station (a throw-away account) can create and change the
# station's data files there but cannot rename, replace or delete the programs
# nor make them load a plugin of its own; the driver name "SQL Server" is
# registered for FreeTDS only when none is, and removing the package takes
# back only its own registration.
#   scripts/check-package.sh [build folder]     (default build/ci; needs root)
# Leaves the machine's ODBC driver list as it found it. Skips (exit 0) when
# not root or when the package is installed already by someone else.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/ci}
if [ "$(id -u)" != 0 ]; then
    echo "check-package: skipped (needs root to install the package)"
    exit 0
fi
if dpkg-query -W -f='${Status}' member-station 2>/dev/null | grep -q "install ok installed"; then
    echo "check-package: skipped (member-station is installed on this machine)"
    exit 0
fi

fail() {
    echo "check-package: FAILED: $*" >&2
    exit 1
}

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/member-station_*.deb | head -n1)
echo "check-package: $deb"

contents=$(dpkg-deb -c "$deb")
for f in ./opt/member-station/member-station ./opt/member-station/serial-test \
    ./usr/share/applications/member-station.desktop \
    "./usr/share/doc/member-station/sql/회원관리_sqlserver.sql"; do
    grep -qF " $f" <<<"$contents" || fail "$f is not in the package"
done

# Every command the maintainer scripts run comes from an essential package
# or from one the package depends on. Commands are the first word of each
# simple command, found after comments and quoted text are dropped.
# The package that holds a program file; dpkg knows /bin and /usr/bin apart
# although they are one folder since the /usr merge.
package_of() {
    local p
    for p in "$1" "${1#/usr}" "/usr$1"; do
        dpkg -S "$p" 2>/dev/null | head -n1 | cut -d: -f1 | grep . && return 0
    done
    return 1
}
depends=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/(.*)//; s/:any//; s/ //g')
scripts_dir=$(mktemp -d)
dpkg-deb -e "$deb" "$scripts_dir"
commands=$(for script in "$scripts_dir"/postinst "$scripts_dir"/postrm; do
    sed -e 's/#.*//' -e "s/'[^']*'//g" -e 's/"[^"]*"//g' "$script"
done | tr ';|&()`' '\n\n\n\n\n\n' | sed -E 's/^[[:space:]]*//;
        :k; s/^(if|then|else|elif|do|while|until|!|\{|\$)[[:space:]]+//; tk;
        s/^[A-Za-z_][A-Za-z0-9_]*=[^[:space:]]*[[:space:]]*//' |
    awk '{print $1}' | grep -E '^[a-z][a-z0-9._-]*$' | sort -u)
rm -rf "$scripts_dir"
checked=
for cmd in $commands; do
    case $(type -t "$cmd" || true) in
    builtin | keyword | "") continue ;;
    esac
    pkg=$(package_of "$(command -v "$cmd")") || pkg=$(package_of "$(readlink -f "$(command -v "$cmd")")") ||
        fail "the scripts run $cmd, which no package provides"
    [ "$(dpkg-query -W -f='${Essential}' "$pkg")" = yes ] && continue
    grep -qx "$pkg" <<<"$depends" || fail "the scripts run $cmd from $pkg, which the package does not depend on"
    checked+=" $cmd ($pkg)"
done
echo "check-package: the maintainer scripts' commands are covered:$checked"

ini=$(odbcinst -j | sed -n 's/^DRIVERS[.]*: //p')
saved=$(mktemp)
cp "$ini" "$saved"
folder=/opt/member-station
member=stc-op1
planted=()
restore() {
    [ -n "${station_pid:-}" ] && kill -KILL "$station_pid" 2>/dev/null
    for f in "${planted[@]}"; do
        rm -rf "$f"
    done
    if id "$member" >/dev/null 2>&1; then
        userdel "$member" >/dev/null 2>&1 || true
    fi
    dpkg -r member-station >/dev/null 2>&1 || true
    cp "$saved" "$ini"
    rm -f "$saved"
}
trap restore EXIT

driver_of_sql_server() {
    odbcinst -q -d -n "SQL Server" 2>/dev/null | sed -n 's/^Driver=//p'
}
freetds=/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so

# 1. No "SQL Server" yet: installing registers FreeTDS, removing takes it back.
odbcinst -u -d -n "SQL Server" >/dev/null 2>&1 || true
apt-get install -y -qq "./$deb" >/dev/null
[ -x /opt/member-station/member-station ] || fail "the program is not installed"
[ "$(stat -c %U:%G:%a $folder)" = root:member-station:3775 ] ||
    fail "program folder is $(stat -c %U:%G:%a $folder), not root:member-station:3775 (sticky)"
for sub in ERROR_LOG 회원사진; do
    [ "$(stat -c %U:%G:%a "$folder/$sub")" = root:member-station:2770 ] ||
        fail "$sub is not root:member-station:2770"
done
# Shared by every operator and owned by none: the lock (read by the group),
# the camera choice (written by the group).
[ "$(stat -c %U:%G:%a "$folder/member-station.lock")" = root:member-station:640 ] ||
    fail "the lock file is not root:member-station:640"
[ "$(stat -c %U:%G:%a "$folder/카메라설정.CFG")" = root:member-station:660 ] ||
    fail "the camera choice file is not root:member-station:660"
for program in member-station serial-test; do
    [ "$(stat -c %U:%G:%a "$folder/$program")" = root:root:755 ] || fail "$program is not root's alone"
    # A library path beside the program would let a member plant libraries.
    readelf -d "$folder/$program" | grep -qE 'RPATH|RUNPATH' && fail "$program carries a library path"
done

# 1a. As a member of the operator group.
# A throw-away account: one left by an interrupted run goes first.
if id "$member" >/dev/null 2>&1; then
    userdel "$member"
fi
useradd --system --no-create-home --shell /usr/sbin/nologin --groups member-station "$member"
as_member() { runuser -u "$member" -- "$@"; }
planted+=("$folder/환경설정.CFG" "$folder/회원사진/check.JPG" "$folder/ERROR_LOG/check.LOG"
    "$folder/platforms" "$folder/imageformats" "$folder/qt.conf" "$folder/qt6.conf"
    "$folder/own-plugins" "$folder/own")
for program in member-station serial-test; do
    as_member mv "$folder/$program" "$folder/own" 2>/dev/null && fail "a member renamed $program"
    as_member rm -f "$folder/$program" 2>/dev/null && fail "a member deleted $program"
    as_member sh -c "echo >'$folder/$program'" 2>/dev/null && fail "a member changed $program"
    as_member sh -c "echo >'$folder/own' && mv -f '$folder/own' '$folder/$program'" 2>/dev/null &&
        fail "a member replaced $program"
    [ "$(stat -c %U "$folder/$program")" = root ] || fail "$program was replaced"
done
for file in 환경설정.CFG 회원사진/check.JPG ERROR_LOG/check.LOG; do
    as_member sh -c "echo one >'$folder/$file' && echo two >>'$folder/$file'" ||
        fail "a member cannot create and change $file"
done
as_member chmod 600 "$folder/member-station.lock" 2>/dev/null && fail "a member changed the lock file's mode"
as_member sh -c "echo >'$folder/카메라설정.CFG'" || fail "a member cannot write the camera choice"
: >"$folder/카메라설정.CFG"
as_member sh -c "echo three >'$folder/환경설정.CFG.new' && mv -f '$folder/환경설정.CFG.new' '$folder/환경설정.CFG'" ||
    fail "a member cannot replace its own settings file"
rm -f "$folder/환경설정.CFG"

# 1b. Plugins a member plants beside the programs (the platform plugin the
# run asks for, an image plugin, a qt.conf naming a folder of its own) are
# never looked at, by a run of root's.
qtplugins=$(dirname "$(readlink -f "$(ldd "$folder/member-station" | awk '/libQt6Core/ {print $3}')")")/qt6/plugins
as_member mkdir "$folder/platforms" "$folder/imageformats" "$folder/own-plugins"
as_member cp "$qtplugins/platforms/libqoffscreen.so" "$folder/platforms/"
as_member cp "$qtplugins/imageformats/libqjpeg.so" "$folder/imageformats/"
for conf in qt.conf qt6.conf; do
    as_member sh -c "printf '[Paths]\nPlugins=$folder/own-plugins\n' >'$folder/$conf'"
done
for program in member-station serial-test; do
    log=$(mktemp)
    QT_DEBUG_PLUGINS=1 QT_QPA_PLATFORM=offscreen "$folder/$program" >"$log" 2>&1 &
    station_pid=$!
    # Loading the platform plugin comes before any window; then the search
    # path is known.
    for _ in $(seq 300); do
        grep -q 'platforms/libqoffscreen.so" loaded library' "$log" && break
        kill -0 "$station_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$station_pid" 2>/dev/null || true
    wait "$station_pid" 2>/dev/null || true
    station_pid=
    grep -q 'platforms/libqoffscreen.so" loaded library' "$log" || {
        cat "$log" >&2
        rm -f "$log"
        fail "$program did not load its platform plugin"
    }
    if grep -F "$folder" "$log" | grep -v 'member-station.lock' >&2; then
        rm -f "$log"
        fail "$program looked for plugins in its own folder"
    fi
    rm -f "$log"
done
for f in "${planted[@]}"; do
    rm -rf "$f"
done

# 1c. An upgrade from a version whose lock and camera file an operator could
# replace: a hard link to root's private file under those names, and the
# operator's own ERROR_LOG holding a log. The linked file keeps owner and
# mode; the names get new files of root's; the log moves into a folder of
# root's.
victim=$(mktemp /opt/.check-package-victim.XXXXXX)
chmod 600 "$victim"
for name in member-station.lock 카메라설정.CFG; do
    rm -f "$folder/$name"
    ln "$victim" "$folder/$name"
done
rm -rf "$folder/ERROR_LOG"
as_member sh -c "mkdir '$folder/ERROR_LOG' && echo kept >'$folder/ERROR_LOG/old.LOG'"
/var/lib/dpkg/info/member-station.postinst configure
victim_after=$(stat -c %U:%G:%a:%h "$victim")
rm -f "$victim"
[ "$victim_after" = root:root:600:1 ] || fail "postinst changed a hard-linked file: $victim_after"
[ "$(stat -c %U:%G:%a:%h "$folder/member-station.lock")" = root:member-station:640:1 ] ||
    fail "the lock file is not a new root:member-station:640 after the upgrade"
[ "$(stat -c %U:%G:%a:%h "$folder/카메라설정.CFG")" = root:member-station:660:1 ] ||
    fail "the camera choice file is not a new root:member-station:660 after the upgrade"
[ "$(stat -c %U:%G:%a "$folder/ERROR_LOG")" = root:member-station:2770 ] ||
    fail "ERROR_LOG is not root:member-station:2770 after the upgrade"
[ "$(cat "$folder/ERROR_LOG/old.LOG")" = kept ] || fail "the operator's old log was not kept"
rm -f "$folder/ERROR_LOG/old.LOG"
ls -a "$folder" | grep -q '^\.package' && fail "postinst left a scratch entry behind"
userdel "$member"
[ "$(driver_of_sql_server)" = "$freetds" ] || fail "SQL Server not registered for FreeTDS"
ldd /opt/member-station/member-station | grep -q "not found" && fail "a library of the program is missing"
dpkg -r member-station >/dev/null
[ -z "$(driver_of_sql_server)" ] || fail "removing left the package's registration behind"

# 2. An administrator's own "SQL Server" stays through install and removal.
own=$(mktemp)
printf '[SQL Server]\nDescription=administrator'"'"'s own\nDriver=/opt/own/libown.so\n' >"$own"
odbcinst -i -d -f "$own" >/dev/null
rm -f "$own"
apt-get install -y -qq "./$deb" >/dev/null
[ "$(driver_of_sql_server)" = /opt/own/libown.so ] || fail "installing replaced the administrator's registration"
dpkg -r member-station >/dev/null
[ "$(driver_of_sql_server)" = /opt/own/libown.so ] || fail "removing took the administrator's registration"

echo "check-package: passed"
