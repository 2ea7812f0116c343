#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and proves on this
# machine what an installer relies on: the files land in /opt/member-station,
# the folder is writable by the group member-station, the driver name
# "SQL Server" is registered for FreeTDS only when none is, and removing the
# package takes back only its own registration.
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

ini=$(odbcinst -j | sed -n 's/^DRIVERS[.]*: //p')
saved=$(mktemp)
cp "$ini" "$saved"
restore() {
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
[ "$(stat -c %G /opt/member-station)" = member-station ] || fail "program folder not in group member-station"
[ "$(stat -c %a /opt/member-station)" = 2775 ] || fail "program folder not group-writable"
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
