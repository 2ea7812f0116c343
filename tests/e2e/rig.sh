#!/usr/bin/env bash
# Puts up (or takes down) what every end-to-end scenario shares: the Debian
# package installed, two operator accounts in the group member-station, the
# store server (PostgreSQL with password logins on 127.0.0.5:5432) and the
# driver name "SQL Server" registered for the run. On Windows (E2E_PLATFORM)
# the installer run silently in a Wine prefix of the run's own instead of the
# package and the accounts, and "down" uninstalls and checks that the
# station's data stayed and its programs went.
#   rig.sh up | down
# "up" takes down what an interrupted earlier run left; "down" leaves the
# machine's package list, accounts and ODBC driver list as they were.
set -euo pipefail
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"

rig_down() {
    local user pid
    # What a killed scenario could not end itself, if it is still that process.
    if [ -f "$E2E_STATE/pids" ]; then
        local started
        while read -r pid started; do
            [ "$(ps -o lstart= -p "$pid" 2>/dev/null | tr -s ' ' _)" = "$started" ] && kill "$pid" 2>/dev/null || true
        done <"$E2E_STATE/pids"
        rm -f "$E2E_STATE/pids"
    fi
    if e2e_on_windows; then
        e2e_pg_stop || true
        rm -rf "$E2E_PG_DIR" "$E2E_ODBC" "$E2E_STATE/rig-up"
        rig_down_windows "${1:-}"
        return 0
    fi
    for user in "$E2E_OPERATOR" "$E2E_OPERATOR2"; do
        if id "$user" >/dev/null 2>&1; then
            # Only processes of the test accounts, which the scenarios started.
            for pid in $(ps -u "$user" -o pid= 2>/dev/null || true); do kill -9 "$pid" 2>/dev/null || true; done
            userdel -r "$user" >/dev/null 2>&1 || userdel "$user" >/dev/null 2>&1 || true
        fi
    done
    e2e_pg_stop || true
    if [ -f "$E2E_STATE/installed-by-e2e" ]; then
        dpkg -P member-station >/dev/null 2>&1 || true
        # The station's own data (settings, logs) is no package file.
        rm -rf "$E2E_PROGRAM_DIR"
        rm -f "$E2E_STATE/installed-by-e2e"
    fi
    if [ -f "$E2E_STATE/odbcinst.ini.saved" ]; then
        cp "$E2E_STATE/odbcinst.ini.saved" /etc/odbcinst.ini
        rm -f "$E2E_STATE/odbcinst.ini.saved"
    fi
    rm -rf "$E2E_PG_DIR" "$E2E_ODBC" "$E2E_STATE/home" "$E2E_STATE/rig-up"
}

rig_up() {
    if e2e_on_windows; then
        rig_up_windows
        return 0
    fi
    [ "$(id -u)" = 0 ] || { echo "e2e: skipped (needs root to install the package and add accounts)"; exit "$E2E_SKIP"; }
    if dpkg-query -W -f='${Status}' member-station 2>/dev/null | grep -q "install ok installed" &&
        [ ! -f "$E2E_STATE/installed-by-e2e" ]; then
        echo "e2e: skipped (member-station is installed on this machine by someone else)"
        exit "$E2E_SKIP"
    fi
    if ss -ltnH "sport = :$E2E_PG_PORT" | awk '{ print $4 }' | grep -qE "^(0\.0\.0\.0|\*|\[::\]|$E2E_PG_HOST):" &&
        [ ! -f "$E2E_PG_DIR/data/postmaster.pid" ]; then
        echo "e2e: skipped ($E2E_PG_HOST:$E2E_PG_PORT is taken; the test's store server must listen there)"
        exit "$E2E_SKIP"
    fi
    rig_down quiet
    mkdir -p "$E2E_STATE"
    chmod 755 "$E2E_STATE"

    # 1. The package, as an installer installs it.
    (cd "$E2E_BUILD" && cpack -G DEB >/dev/null)
    local deb
    deb=$(ls -t "$E2E_BUILD"/member-station_*.deb | head -n1)
    cp /etc/odbcinst.ini "$E2E_STATE/odbcinst.ini.saved"
    touch "$E2E_STATE/installed-by-e2e"
    apt-get install -y -qq "$deb" >/dev/null 2>&1 || dpkg -i "$deb" >/dev/null
    [ -x "$E2E_PROGRAM_DIR/member-station" ] || e2e_fail "the package did not install the program"

    # 2. Operator accounts: in the group, not root.
    local user
    mkdir -p "$E2E_STATE/home"
    for user in "$E2E_OPERATOR" "$E2E_OPERATOR2"; do
        useradd -M -d "$E2E_STATE/home/$user" -s /bin/sh -G member-station "$user"
        mkdir -p "$E2E_STATE/home/$user/run" "$E2E_STATE/home/$user/elsewhere"
        chmod 700 "$E2E_STATE/home/$user/run"
        chown -R "$user:" "$E2E_STATE/home/$user"
    done

    rig_store_up
    touch "$E2E_STATE/rig-up"
    echo "e2e rig up: $(basename "$deb"), accounts $E2E_OPERATOR $E2E_OPERATOR2, PostgreSQL on $E2E_PG_HOST:$E2E_PG_PORT"
}

# The store server, checking passwords over TCP, and "SQL Server" as
# psqlODBC for the station's environment only.
rig_store_up() {
    local bin
    bin=$(e2e_pg_bin)
    e2e_pg init "$E2E_PG_DIR" --user "$E2E_PG_SUPER" --password "$E2E_PASSWORD"
    e2e_pg_start
    PGPASSWORD=$E2E_PASSWORD "$bin/psql" -X -q -h "$E2E_PG_HOST" -p "$E2E_PG_PORT" -U "$E2E_PG_SUPER" \
        -d postgres -v ON_ERROR_STOP=1 \
        -c "CREATE ROLE $E2E_LOGIN LOGIN PASSWORD '$E2E_PASSWORD'" \
        -c "CREATE DATABASE $E2E_DB OWNER $E2E_LOGIN" >/dev/null
    e2e_reset_members

    # 4. "SQL Server" is psqlODBC for this run, in the operator's environment
    # only; bytea columns read as long binary like SQL Server's image.
    mkdir -p "$E2E_ODBC"
    cat >"$E2E_ODBC/odbcinst.ini" <<INI
[SQL Server]
Description = PostgreSQL standing in for the store's SQL Server (end-to-end tests)
Driver = /usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so
ByteaAsLongVarBinary = 1
INI
    : >"$E2E_ODBC/odbc.ini"
    chmod -R a+rX "$E2E_ODBC"
}

# ---- Windows: the installer under Wine
WIN_UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\MemberStation'
WIN_MENU_SHORTCUT='ProgramData/Microsoft/Windows/Start Menu/Programs/회원등록/회원등록.lnk'
win_setup() { ls -t "$E2E_BUILD"/member-station-*-setup.exe 2>/dev/null | head -n1; }

rig_up_windows() {
    local setup status
    setup=$(win_setup)
    [ -n "$setup" ] || { echo "e2e: skipped (no installer: cmake --build --preset windows --target installer)"; exit "$E2E_SKIP"; }
    command -v wine >/dev/null || { echo "e2e: skipped (no wine)"; exit "$E2E_SKIP"; }
    rig_down quiet
    mkdir -p "$E2E_STATE"
    chmod 755 "$E2E_STATE"
    # The prefix made without a display: no dialogs offering Mono or Gecko.
    DISPLAY= wine wineboot -i >/dev/null 2>&1
    wineserver -w

    # A folder holding something else is refused, and left alone.
    status=0
    DISPLAY= wine "$setup" /S '/D=C:\windows' >/dev/null 2>&1 || status=$?
    wineserver -w
    [ "$status" != 0 ] || e2e_fail "the installer accepted C:\\windows, a folder of something else"
    [ ! -e "$WINEPREFIX/drive_c/windows/member-station.exe" ] || e2e_fail "the installer wrote into C:\\windows"

    # Refused, each for its reason, with nothing written: a prepared folder
    # holding something else (2), a prepared empty one, not the
    # administrators' (5: Wine gives every folder to the user running it, so
    # any prepared folder shows it), a file under the folder's name (6:
    # NSIS itself would install into the default folder instead), a link on
    # the way (4: Wine shows a Unix link as a reparse point).
    local c=$WINEPREFIX/drive_c row
    mkdir -p "$c/prepared-full" "$c/prepared-empty" "$c/link-target"
    echo x >"$c/prepared-full/a.txt"
    echo x >"$c/prepared-file"
    ln -s "$c/link-target" "$c/linked"
    for row in 'prepared-full:2' 'prepared-empty:5' 'prepared-file:6' 'prepared-file\MemberStation:6' \
        'linked\MemberStation:4'; do
        status=0
        DISPLAY= wine "$setup" /S "/D=C:\\${row%:*}" >/dev/null 2>&1 || status=$?
        wineserver -w
        [ "$status" = "${row##*:}" ] || e2e_fail "the installer into C:\\${row%:*}: exit status $status, expected ${row##*:}"
    done
    [ -z "$(find "$c/prepared-empty" "$c/link-target" -mindepth 1)" ] && [ "$(ls -A "$c/prepared-full")" = a.txt ] &&
        [ ! -e "$c/MemberStation" ] || e2e_fail "a refused install wrote files"
    rm -rf "$c/prepared-full" "$c/prepared-empty" "$c/prepared-file" "$c/linked" "$c/link-target"

    # Silently into the chosen folder; Wine's icacls only reports what it is
    # asked (it sets nothing), so its log shows the permissions asked for.
    status=0
    DISPLAY= WINEDEBUG=-all,fixme+icacls wine "$setup" /S "/D=$E2E_WIN_PROGRAM_DIR" >"$E2E_STATE/install.log" 2>&1 || status=$?
    wineserver -w
    [ "$status" = 0 ] || e2e_fail "silent install: exit status $status ($E2E_STATE/install.log)"
    local f
    for f in member-station.exe station-check.exe serial-test.exe uninstall.exe Qt6Core.dll Qt6Multimedia.dll \
        libstdc++-6.dll libwinpthread-1.dll; do
        [ -f "$E2E_PROGRAM_DIR/$f" ] || e2e_fail "not installed: $f"
    done
    [ -n "$(find "$E2E_PROGRAM_DIR" -name qwindows.dll)" ] && [ -n "$(find "$E2E_PROGRAM_DIR" -name qjpeg.dll)" ] &&
        [ -n "$(find "$E2E_PROGRAM_DIR" -name windowsmediaplugin.dll)" ] || e2e_fail "plugins missing"
    [ -n "$(find "$E2E_PROGRAM_DIR" -iname '*.ttf')" ] || e2e_fail "no fonts installed"
    # Everything the installer staged is installed, and the libraries its
    # programs and plugins load lie beside them.
    while IFS= read -r f; do
        [ -f "$E2E_PROGRAM_DIR/$f" ] || e2e_fail "not installed: $f"
    done < <(cd "$E2E_BUILD/installer/stage" && find . -type f)
    cmake -DFOLDERS="$E2E_PROGRAM_DIR" -DOBJDUMP="$E2E_OBJDUMP" -P "$E2E_SOURCE/packaging/windows/imports.cmake" >&2 ||
        e2e_fail "the installed station lacks a library its programs load"
    grep -q "icacls.*MemberStation.*/inheritance:r" "$E2E_STATE/install.log" || e2e_fail "the installer set no folder permissions"
    # Operators are given nothing to add to the program folder itself, and
    # the files they change exist, empty, from installation.
    ! grep -E 'MemberStation" .*S-1-5-32-545:\((RD,X,RA,REA,RC,S,)?WD' "$E2E_STATE/install.log" ||
        e2e_fail "operators may add files to the program folder"
    grep -qE 'member-station.lock" .*S-1-5-32-545:\(RD,REA,RA,RC,S\)" "/L"' "$E2E_STATE/install.log" ||
        e2e_fail "the lock file is not read-only for operators"
    for f in 환경설정.CFG 환경설정.CFG.journal 출입문설정.CFG 카메라설정.CFG member-station.lock; do
        [ -f "$E2E_PROGRAM_DIR/$f" ] && [ ! -s "$E2E_PROGRAM_DIR/$f" ] || e2e_fail "not made empty at installation: $f"
    done
    wine reg query "$WIN_UNINSTALL_KEY" /v UninstallString 2>/dev/null | grep -qF "$E2E_WIN_PROGRAM_DIR\\uninstall.exe" ||
        e2e_fail "no uninstaller in the programs list"
    [ -f "$WINEPREFIX/drive_c/$WIN_MENU_SHORTCUT" ] || e2e_fail "no Start-menu shortcut"
    # The station is started as its desktop shortcut starts it.
    local target
    target=$(e2e_shortcut_target "$E2E_SHORTCUT") || e2e_fail "no desktop shortcut to the station"
    [ "$target" = "$E2E_WIN_PROGRAM_DIR\\member-station.exe" ] || e2e_fail "the shortcut starts '$target'"
    printf '%s' "$target" >"$E2E_STATE/station-target"

    rig_store_up
    touch "$E2E_STATE/rig-up"
    echo "e2e rig up: $(basename "$setup") installed silently in $E2E_WIN_PROGRAM_DIR (Wine), PostgreSQL on $E2E_PG_HOST:$E2E_PG_PORT"
}

# Uninstalls (checking, unless "quiet": the data files stay, the programs,
# shortcuts and the programs-list entry go) and removes the prefix.
rig_down_windows() {
    [ -d "$WINEPREFIX" ] || return 0
    wineserver -k 2>/dev/null || true
    if [ -f "$E2E_PROGRAM_DIR/uninstall.exe" ]; then
        local data=(환경설정.CFG 출입문설정.CFG 카메라설정.CFG 회원사진/010-0000-0000.JPG ERROR_LOG/20260101.LOG) f
        for f in "${data[@]}"; do
            mkdir -p "$(dirname "$E2E_PROGRAM_DIR/$f")"
            [ -e "$E2E_PROGRAM_DIR/$f" ] || echo "$f" >"$E2E_PROGRAM_DIR/$f"
        done
        local before status=0
        before=$(cd "$E2E_PROGRAM_DIR" && md5sum "${data[@]}")
        DISPLAY= wine "$E2E_PROGRAM_DIR/uninstall.exe" /S >/dev/null 2>&1 || status=$?
        # The uninstaller runs on from a copy of itself.
        wineserver -w
        if [ "$1" != quiet ]; then
            [ "$status" = 0 ] || e2e_fail "silent uninstall: exit status $status"
            [ "$(cd "$E2E_PROGRAM_DIR" && md5sum "${data[@]}")" = "$before" ] || e2e_fail "the uninstaller changed the station's data"
            local left
            left=$(cd "$E2E_PROGRAM_DIR" && find . -type f | grep -vxF -f <(printf './%s\n' "${data[@]}") || true)
            [ -z "$left" ] || e2e_fail "the uninstaller left program files: $left"
            [ ! -e "$E2E_SHORTCUT" ] && [ ! -e "$WINEPREFIX/drive_c/$WIN_MENU_SHORTCUT" ] || e2e_fail "shortcuts left"
            ! wine reg query "$WIN_UNINSTALL_KEY" >/dev/null 2>&1 || e2e_fail "still in the programs list"
            echo "uninstalled: programs, shortcuts and the programs-list entry gone; ${#data[@]} data files kept"
        fi
    fi
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX" "$E2E_STATE/station-target"
}

case "${1:-}" in
    up) rig_up ;;
    down) rig_down; echo "e2e rig down" ;;
    *) echo "usage: rig.sh up|down" >&2; exit 2 ;;
esac
