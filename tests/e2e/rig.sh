#!/usr/bin/env bash
# Puts up (or takes down) what every end-to-end scenario shares: the Debian
# package installed, two operator accounts in the group member-station, the
# store server (PostgreSQL with password logins on 127.0.0.5:5432) and the
# driver name "SQL Server" registered for the run.
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
    rig_down
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

    # 3. The store server, checking passwords over TCP.
    local bin
    bin=$(e2e_pg_bin)
    mkdir -p "$E2E_PG_DIR"
    chown postgres: "$E2E_PG_DIR"
    printf '%s\n' "$E2E_PASSWORD" >"$E2E_PG_DIR/pw"
    chown postgres: "$E2E_PG_DIR/pw"
    runuser -u postgres -- "$bin/initdb" -D "$E2E_PG_DIR/data" -U "$E2E_PG_SUPER" \
        --pwfile="$E2E_PG_DIR/pw" --auth-local=peer --auth-host=scram-sha-256 -E UTF8 \
        --locale=C.UTF-8 >"$E2E_PG_DIR/initdb.log" 2>&1 || { cat "$E2E_PG_DIR/initdb.log" >&2; exit 1; }
    rm -f "$E2E_PG_DIR/pw"
    # Password logins over TCP from the whole loopback network.
    echo "host all all 127.0.0.0/8 scram-sha-256" >>"$E2E_PG_DIR/data/pg_hba.conf"
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

    touch "$E2E_STATE/rig-up"
    echo "e2e rig up: $(basename "$deb"), accounts $E2E_OPERATOR $E2E_OPERATOR2, PostgreSQL on $E2E_PG_HOST:$E2E_PG_PORT"
}

case "${1:-}" in
    up) rig_up ;;
    down) rig_down; echo "e2e rig down" ;;
    *) echo "usage: rig.sh up|down" >&2; exit 2 ;;
esac
