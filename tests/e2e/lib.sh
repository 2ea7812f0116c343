# Helpers for the end-to-end scenarios: the installed station driven through
# a real X server by an operator account, against a password-checked
# PostgreSQL. Sourced by rig.sh and by every scenario.
#
# Environment (set by CTest): E2E_SOURCE (checkout), E2E_BUILD (build folder),
# E2E_PLUGIN_DIR (the virtual camera plugin), E2E_STATE (rig state and
# artifacts), E2E_PLATFORM: linux (the Debian package, started by operator
# accounts) or windows (the Windows installer's station under Wine, started
# by the account running the tests).

set -euo pipefail

E2E_PROGRAM_DIR=/opt/member-station
E2E_DESKTOP=/usr/share/applications/member-station.desktop
E2E_OPERATOR=ste-op1
E2E_OPERATOR2=ste-op2
E2E_PG_PORT=5432
# A loopback address of its own: a system PostgreSQL on localhost:5432 stays
# out of the way. The station passes "address,port" as the server, which the
# PostgreSQL driver reads as two hosts on its default port 5432.
E2E_PG_HOST=127.0.0.5
E2E_PG_SUPER=postgres_e2e
E2E_DB=store
E2E_LOGIN=cafe_op
E2E_PASSWORD='Pw-7788.xyz'
E2E_STORE=0001
E2E_SKIP=77
E2E_PLATFORM=${E2E_PLATFORM:-linux}

E2E_STATE=${E2E_STATE:?E2E_STATE is not set}
E2E_SHOTS=$E2E_STATE/screenshots
E2E_ODBC=$E2E_STATE/odbc
E2E_PG_DIR=$E2E_STATE/pg

if [ "$E2E_PLATFORM" = windows ]; then
    # A Wine prefix of the run's own; the installer's folder given with /D=
    # (not its default, to prove the choice is honoured).
    export WINEPREFIX=$E2E_STATE/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    E2E_WIN_PROGRAM_DIR='C:\Stations\MemberStation'
    E2E_PROGRAM_DIR=$WINEPREFIX/drive_c/Stations/MemberStation
    E2E_SHORTCUT="$WINEPREFIX/drive_c/users/Public/Desktop/회원등록.lnk"
    # Beside the Linux rig's server, so that both may be up at once.
    E2E_PG_HOST=127.0.0.6
fi
e2e_on_windows() { [ "$E2E_PLATFORM" = windows ]; }
# What the station started next needs to reach an input method (e2e_im_start).
E2E_IM_ENV=()

e2e_log() { printf '[%s] %s\n' "$(date +%T.%3N)" "$*" >&2; }
e2e_fail() {
    printf 'E2E FAILED: %s\n' "$*" >&2
    if [ -n "${E2E_PID:-}" ] && e2e_gone "$E2E_PID" 2>/dev/null; then
        local status=0
        wait "$E2E_PID" 2>/dev/null || status=$?
        echo "(the station had ended, exit status $status; its output:)" >&2
        tail -n 20 "$E2E_STATE"/station-*-"${E2E_SCENARIO:-x}".out >&2 2>/dev/null || true
    fi
    [ -z "${DISPLAY:-}" ] || e2e_shot "failure-${E2E_SCENARIO:-rig}" 2>/dev/null || true
    exit 1
}

# ---- clean-up stack: every helper that starts something registers its undo
E2E_CLEANUPS=()
e2e_on_exit() { E2E_CLEANUPS+=("$1"); }
e2e_run_cleanups() {
    local i
    for ((i = ${#E2E_CLEANUPS[@]} - 1; i >= 0; i--)); do
        eval "${E2E_CLEANUPS[i]}" >/dev/null 2>&1 || true
    done
    E2E_CLEANUPS=()
}
trap e2e_run_cleanups EXIT
# A step that fails outside any check says which one.
set -E
trap 'e2e_log "failed (status $?): $BASH_COMMAND at ${BASH_SOURCE[0]:-script}:$LINENO"' ERR
# Processes a scenario starts as root, noted with their start time so that
# the rig can end them if the scenario itself was killed (a test timeout).
e2e_track() {
    echo "$1 $(ps -o lstart= -p "$1" 2>/dev/null | tr -s ' ' _)" >>"$E2E_STATE/pids"
    e2e_on_exit "kill $1; wait $1"
}

# ---- waiting: poll a condition until a deadline, never a bare sleep
# e2e_wait SECONDS WHAT command...   (true once the command succeeds)
e2e_wait() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        if ((SECONDS >= deadline)); then
            e2e_fail "waited ${seconds}s for: $what"
        fi
        sleep 0.1
    done
}
# Milliseconds since the epoch, for timings.
e2e_now_ms() { date +%s%3N; }

# ---- the rig's state (written by rig.sh up)
e2e_require_rig() {
    e2e_on_windows || [ "$(id -u)" = 0 ] || { echo "e2e: skipped (needs root)"; exit "$E2E_SKIP"; }
    [ -f "$E2E_STATE/rig-up" ] || { echo "e2e: skipped (the rig is not up)"; exit "$E2E_SKIP"; }
}

# ---- PostgreSQL as the store server
e2e_pg_bin() {
    local d
    for d in /usr/lib/postgresql/*/bin; do
        [ -x "$d/initdb" ] && { echo "$d"; return 0; }
    done
    return 1
}
e2e_psql() {
    PGPASSWORD=$E2E_PASSWORD "$(e2e_pg_bin)/psql" -X -q -v ON_ERROR_STOP=1 -h "$E2E_PG_HOST" \
        -p "$E2E_PG_PORT" -U "$E2E_LOGIN" -d "$E2E_DB" "$@"
}
e2e_sql() { e2e_psql -At -c "$1"; }
e2e_pg_running() { [ -f "$E2E_PG_DIR/data/postmaster.pid" ] && e2e_sql 'SELECT 1' | grep -qx 1; }
# The store server is made, started and stopped by the tests' one launcher.
e2e_pg() { bash "$E2E_SOURCE/tests/support/postgres.sh" "$@"; }
e2e_pg_start() { e2e_pg start "$E2E_PG_DIR" --port "$E2E_PG_PORT" --address "$E2E_PG_HOST"; }
e2e_pg_stop() { e2e_pg stop "$E2E_PG_DIR"; }
# A fresh, empty member table.
e2e_reset_members() {
    e2e_sql "DROP TABLE IF EXISTS 회원관리" >/dev/null
    grep -v '^--' "$E2E_SOURCE/db/sql/회원관리_postgresql.sql" | e2e_psql >/dev/null
}
# name|address|gender|photo length|photo starts as JPEG of one member
e2e_member() {
    e2e_sql "SELECT 회원명, 회원주소, 남여구분, coalesce(length(회원사진), 0),
             coalesce(substr(회원사진, 1, 3) = '\\xffd8ff'::bytea, false)
             FROM 회원관리 WHERE 매장코드 = '$E2E_STORE' AND 회원휴대폰번호 = '$1'"
}
e2e_member_count() { e2e_sql "SELECT count(*) FROM 회원관리"; }
export -f e2e_member_count

# ---- the program folder
e2e_settings_file() { echo "$E2E_PROGRAM_DIR/환경설정.CFG"; }
e2e_door_file() { echo "$E2E_PROGRAM_DIR/출입문설정.CFG"; }
# Back to the state an installer leaves before the first start: no settings,
# the door file present, no photos, no error log.
e2e_reset_program_folder() {
    rm -rf "$E2E_PROGRAM_DIR/환경설정.CFG" "$E2E_PROGRAM_DIR/회원사진" "$E2E_PROGRAM_DIR/ERROR_LOG"
    touch "$(e2e_door_file)"
}
# The login scrambled as the station keeps it: every character shifted down
# by the station's key (12).
e2e_shift_down() {
    local text=$1 out="" i code
    for ((i = 0; i < ${#text}; i++)); do
        code=$(printf '%d' "'${text:i:1}")
        out+=$(printf "\\$(printf '%03o' $((code - 12)))")
    done
    printf '%s' "$out"
}
# A settings file written by the settings file code itself (tools/
# station-settings): the fields as typed on the settings screen.
e2e_settings_tool() {
    if e2e_on_windows; then
        local file=$1
        shift
        wine "$E2E_BUILD/tools/station-settings.exe" "$(winepath -w "$file")" "$@"
    else
        "$E2E_BUILD/tools/station-settings" "$@"
    fi
}
# The settings file for the test's store server, owned by the operator.
e2e_write_settings() {
    local ip=${1:-$E2E_PG_HOST} port=${2:-$E2E_PG_PORT} kind=${3:-MS-SQL} db=${4:-$E2E_DB} file
    file=$(e2e_settings_file)
    e2e_settings_tool "$file" "$E2E_STORE" "$ip" "$port" "$kind" "$db" "$E2E_LOGIN" "$E2E_PASSWORD" ||
        e2e_fail "cannot write $file"
    e2e_on_windows && return 0
    chown "$E2E_OPERATOR:member-station" "$file"
    chmod 640 "$file"
}
e2e_photo_files() { find "$E2E_PROGRAM_DIR/회원사진" -type f 2>/dev/null || true; }

# ---- X: Xvfb with a free display, openbox, keys bound before the program
e2e_x_start() {
    local fifo displayfd
    fifo=$(mktemp -u "$E2E_STATE/displayfd.XXXXXX")
    mkfifo "$fifo"
    # A screen the registration screen fits on at its design size, frame
    # included (on a smaller one it is drawn smaller, and the scenarios
    # find the screens by their own sizes); under Wine openbox would also
    # shrink a window that does not fit.
    local size=1280x1024x24
    Xvfb -displayfd 3 -screen 0 "${1:-$size}" -nolisten tcp 3>"$fifo" >"$E2E_STATE/xvfb-${E2E_SCENARIO:-x}.log" 2>&1 &
    E2E_XVFB_PID=$!
    e2e_track "$E2E_XVFB_PID"
    read -r -t 20 displayfd <"$fifo" || e2e_fail "Xvfb gave no display number"
    rm -f "$fifo"
    export DISPLAY=":$displayfd"
    e2e_wait 20 "the X server on $DISPLAY to answer" xprop -root _NET_SUPPORTED
    e2e_wait 30 "openbox to manage the screen (log: $E2E_STATE/openbox-${E2E_SCENARIO:-x}.log)" e2e_wm_up
}
e2e_wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
# Starts openbox when none of ours runs (one that could not open the display
# under load has ended), then says whether it manages the screen.
e2e_wm_up() {
    if [ -z "${E2E_WM_PID:-}" ] || ! kill -0 "$E2E_WM_PID" 2>/dev/null; then
        openbox --sm-disable >>"$E2E_STATE/openbox-${E2E_SCENARIO:-x}.log" 2>&1 &
        E2E_WM_PID=$!
        e2e_track "$E2E_WM_PID"
    fi
    e2e_wm_ready
}

# Type text through the X server. Text beyond ASCII goes in by Ctrl+V from
# the clipboard: xdotool typing Hangul under load now and then sends the
# wrong character.
e2e_type() {
    if LC_ALL=C grep -q '[^ -~]' <<<"$1"; then
        e2e_select_text "$1"
        xdotool key --clearmodifiers ctrl+v
    else
        xdotool type --delay 40 --clearmodifiers -- "$1"
    fi
}
e2e_key() { xdotool key --clearmodifiers "$@"; }
e2e_click() { # x y [button] in root coordinates
    xdotool mousemove --sync "$1" "$2" click "${3:-1}"
}
# Put text on the clipboard and the primary selection; the owner stays until
# the X server ends.
e2e_select_text() {
    printf '%s' "$1" | xclip -selection clipboard -i -quiet >/dev/null 2>&1 &
    e2e_track $!
    printf '%s' "$1" | xclip -selection primary -i -quiet >/dev/null 2>&1 &
    e2e_track $!
    e2e_wait 10 "the clipboard to hold the text" \
        bash -c '[ "$(xclip -selection clipboard -o)" = "$1" ] && [ "$(xclip -selection primary -o)" = "$1" ]' _ "$1"
}

# ---- screenshots with the real frame
# e2e_shot NAME [WINDOW]: the whole screen, and with a window given also that
# window cut out with its frame (NAME-window.png, for the README).
e2e_shot() {
    mkdir -p "$E2E_SHOTS"
    set -- "$(e2e_on_windows && echo windows- || true)$1" "${@:2}"
    import -window root "$E2E_SHOTS/$1.png"
    [ -n "${2:-}" ] || return 0
    local o l=0 r=0 t=0 b=0 w h
    o=($(e2e_window_origin "$2"))
    read -r w h < <(xwininfo -id "$2" | awk -F: '/Width/ { w = $2 + 0 } /Height/ { h = $2 + 0 } END { print w, h }') || true
    # Painted, not just mapped: more than a couple of colours.
    e2e_wait 10 "window $2 to be painted" bash -c '[ "$(import -window root -crop "$1" -depth 8 -format %k info:)" -gt 4 ]' _ "${w}x${h}+${o[0]}+${o[1]}"
    import -window root "$E2E_SHOTS/$1.png"
    read -r l r t b < <(xprop -id "$2" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ,) || true
    convert "$E2E_SHOTS/$1.png" -crop "$((w + ${l:-0} + ${r:-0}))x$((h + ${t:-0} + ${b:-0}))+$((o[0] - ${l:-0}))+$((o[1] - ${t:-0}))" +repage \
        "$E2E_SHOTS/$1-window.png"
}

# ---- a real input method: e2e_im_start ibus|fcitx5
# The daemon with its Hangul engine, run as the operator in a D-Bus session
# of its own on this scenario's X display, in Latin mode (the Hangul key
# switches, as at a counter); the station started after it uses it. It ends
# with the scenario, with everything it started (the engine, the session bus).
e2e_im_start() {
    local im=$1 user=$E2E_OPERATOR home run daemon
    home=$(getent passwd "$user" | cut -d: -f6)
    run=$E2E_STATE/im-${E2E_SCENARIO:-x}
    rm -rf "$run" "$home/.config/ibus" "$home/.config/fcitx5"
    mkdir -p "$run" "$home/run" "$home/.config/fcitx5"
    case $im in
        ibus)
            daemon=(ibus-daemon --replace --panel=disable --emoji-extension=disable)
            E2E_IM_ENV=(QT_IM_MODULE=ibus XMODIFIERS=@im=ibus)
            ;;
        fcitx5)
            # Hangul the group's only input method besides the keyboard:
            # the Hangul key (or Ctrl+Space) switches between them.
            printf '%s\n' '[Groups/0]' 'Name=Default' 'Default Layout=us' 'DefaultIM=hangul' \
                '[Groups/0/Items/0]' 'Name=keyboard-us' 'Layout=' \
                '[Groups/0/Items/1]' 'Name=hangul' 'Layout=' '[GroupOrder]' '0=Default' \
                >"$home/.config/fcitx5/profile"
            printf '%s\n' '[Hotkey/TriggerKeys]' '0=Hangul' '1=Control+space' \
                >"$home/.config/fcitx5/config"
            daemon=(fcitx5 --replace --disable=wayland,notificationitem,kimpanel)
            E2E_IM_ENV=(QT_IM_MODULE=fcitx XMODIFIERS=@im=fcitx)
            ;;
        *) e2e_fail "no input method $im" ;;
    esac
    chown -R "$user:" "$run" "$home/run" "$home/.config"
    chmod 700 "$home/run"
    setsid setpriv --reuid="$user" --regid=member-station --init-groups \
        env -i HOME="$home" USER="$user" LOGNAME="$user" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" \
        LANG=C.UTF-8 XDG_RUNTIME_DIR="$home/run" NO_AT_BRIDGE=1 \
        dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0/bus.new" && mv "$0/bus.new" "$0/bus" && exec "$@"' \
        "$run" "${daemon[@]}" >"$run/daemon.log" 2>&1 &
    local pid=$!
    echo "$pid $(ps -o lstart= -p "$pid" 2>/dev/null | tr -s ' ' _)" >>"$E2E_STATE/pids"
    e2e_on_exit "e2e_im_stop $pid"
    e2e_wait 20 "the input method's session bus" test -s "$run/bus"
    E2E_IM_ENV+=(DBUS_SESSION_BUS_ADDRESS="$(cat "$run/bus")")
    e2e_wait 30 "$im to serve (log: $run/daemon.log)" e2e_im_ready "$im" "$user" "$home"
    e2e_log "input method $im up (pid $pid)"
}
# ibus-daemon starts a process group of its own beside the session's.
e2e_im_stop() {
    local group
    for group in $(ps -o pgid= --ppid "$1") "$1"; do
        kill -- "-$group" 2>/dev/null || true
    done
    wait "$1" 2>/dev/null || true
}
e2e_im_as_operator() { # user home command...
    local user=$1 home=$2
    shift 2
    setpriv --reuid="$user" --regid=member-station --init-groups env -i HOME="$home" \
        PATH=/usr/bin:/bin DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$home/run" "${E2E_IM_ENV[@]}" "$@"
}
e2e_im_ready() { # im user home
    case $1 in
        ibus) e2e_im_as_operator "$2" "$3" ibus engine hangul && [ "$(e2e_im_as_operator "$2" "$3" ibus engine)" = hangul ] ;;
        fcitx5) e2e_im_as_operator "$2" "$3" fcitx5-remote | grep -qx '[0-2]' ;;
    esac
}

# ---- windows of the program
# Visible top-level windows of pid $1, one line each: id x y w h name
e2e_windows() {
    local id
    for id in $(xdotool search --all --onlyvisible --pid "$1" --name '' 2>/dev/null); do
        xwininfo -id "$id" | awk -v id="$id" -v name="$(xdotool getwindowname "$id")" -F: '
            /Absolute upper-left X/ { x = $2 + 0 } /Absolute upper-left Y/ { y = $2 + 0 }
            /Width/ { w = $2 + 0 } /Height/ { h = $2 + 0 }
            END { print id, x, y, w, h, name }'
    done
}
# The visible window of pid $1 of exactly the size $2 (WxH), else fail.
e2e_window_of_size() {
    e2e_windows "$1" | awk -v w="${2%x*}" -v h="${2#*x}" '$4 == w && $5 == h { print $1; f = 1; exit } END { exit !f }'
}
e2e_wait_window() { # pid WxH seconds what
    e2e_wait "${3:-20}" "${4:-a $2 window}" e2e_window_of_size "$1" "$2"
    e2e_window_of_size "$1" "$2"
}
e2e_no_window_of_size() { ! e2e_window_of_size "$@"; }
e2e_wait_no_window() { # pid WxH seconds what
    e2e_wait "${3:-20}" "${4:-the $2 window to close}" e2e_no_window_of_size "$1" "$2"
}
# Top-left corner of a window's client area in root coordinates: "x y".
e2e_window_origin() {
    # xwininfo, not xdotool: xdotool adds the frame offset twice under a
    # reparenting window manager.
    xwininfo -id "$1" | awk -F: '/Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 } END { print x + 0, y + 0 }'
}
# Click at (x, y) relative to a window's client area.
e2e_click_in() {
    local origin
    origin=($(e2e_window_origin "$1"))
    e2e_click $((origin[0] + $2)) $((origin[1] + $3)) "${4:-1}"
}

# Window sizes (client area, pixels) of the station's screens.
E2E_SIZE_REGISTRATION=1022x766
E2E_SIZE_SETTINGS=454x384
E2E_SIZE_CAMERA=405x294

# ---- the program as the operator starts it
# The folder a user's start begins in: the desktop entry's on Linux; on
# Windows another than the program folder (the station must find its files
# beside the program all the same).
e2e_start_folder() {
    if e2e_on_windows; then
        e2e_elsewhere
    else
        sed -n 's/^Path=//p' "$E2E_DESKTOP"
    fi
}
# A working folder of the operator's that is not the program folder.
e2e_elsewhere() {
    if e2e_on_windows; then
        mkdir -p "$E2E_STATE/elsewhere"
        echo "$E2E_STATE/elsewhere"
    else
        echo "$E2E_STATE/home/$E2E_OPERATOR/elsewhere"
    fi
}
# The program a Windows shortcut starts: the local path it holds.
e2e_shortcut_target() {
    strings -n 6 "$1" | grep -m1 -iE '^[a-z]:\\.*\.exe$'
}
# e2e_start_station WORKDIR [account] -- started detached; sets E2E_PID.
e2e_start_station() {
    if e2e_on_windows; then
        local target=${E2E_EXEC_PROGRAM:-$(cat "$E2E_STATE/station-target")}
        # Wine reads ODBCSYSINI once, as it starts; GST_PLUGIN_PATH is
        # nothing to a Windows program (there is no camera here).
        (
            cd "$1"
            exec env -i HOME="$HOME" USER="${USER:-root}" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" \
                LANG=C.UTF-8 WINEPREFIX="$WINEPREFIX" WINEDEBUG=-all \
                ${E2E_QT_SCALE:+QT_SCALE_FACTOR=$E2E_QT_SCALE} \
                WINEDLLOVERRIDES="$WINEDLLOVERRIDES" ODBCSYSINI="${E2E_ODBCSYSINI:-$E2E_ODBC}" \
                wine "$target"
        ) >"$E2E_STATE/station-windows-${E2E_SCENARIO:-x}.out" 2>&1 &
        E2E_PID=$!
        e2e_on_exit "kill $E2E_PID; wait $E2E_PID"
        return 0
    fi
    local dir=$1 user=${2:-$E2E_OPERATOR} exec_line home
    exec_line=$(sed -n 's/^Exec=//p' "$E2E_DESKTOP")
    home=$(getent passwd "$user" | cut -d: -f6)
    local cmd=(setpriv --reuid="$user" --regid=member-station --init-groups
        env -i HOME="$home" USER="$user" LOGNAME="$user" PATH=/usr/bin:/bin \
            DISPLAY="$DISPLAY" LANG=C.UTF-8 XDG_RUNTIME_DIR="$home/run" "${E2E_IM_ENV[@]}" \
            ODBCSYSINI="${E2E_ODBCSYSINI:-$E2E_ODBC}" GST_PLUGIN_PATH="$E2E_PLUGIN_DIR" \
            GST_REGISTRY="$home/gst-registry.bin" \
            ${E2E_QT_SCALE:+QT_SCALE_FACTOR=$E2E_QT_SCALE} \
        ${E2E_EXEC_PROGRAM:-$exec_line})
    # A serial device for COM1: the given terminal bound over /dev/ttyS0 in a
    # mount namespace of the program's own, gone when the program ends.
    if [ -n "${E2E_COM1:-}" ]; then
        cmd=(unshare --mount --propagation private sh -c 'mount --bind "$0" /dev/ttyS0 && exec "$@"'
            "$E2E_COM1" "${cmd[@]}")
    fi
    (
        cd "$dir"
        exec "${cmd[@]}"
    ) >"$E2E_STATE/station-$user-${E2E_SCENARIO:-x}.out" 2>&1 &
    E2E_PID=$!
    e2e_on_exit "kill $E2E_PID; wait $E2E_PID"
}
# Wait for the station to end; its exit status in E2E_STATUS.
# Ended: gone, or a zombie waiting for its status.
e2e_gone() {
    local s
    s=$(ps -o stat= -p "$1" 2>/dev/null || true)
    [ -z "$s" ] || [[ $s == Z* ]]
}
e2e_wait_exit() {
    local pid=${2:-$E2E_PID}
    e2e_wait "${1:-20}" "the station (pid $pid) to end" e2e_gone "$pid"
    E2E_STATUS=0
    wait "$pid" || E2E_STATUS=$?
}
# The registration screen is up and painted.
e2e_wait_registration() {
    E2E_MAIN=$(e2e_wait_window "$E2E_PID" "$E2E_SIZE_REGISTRATION" "${1:-30}" "the registration screen")
    # The empty photo box as painted: a window may be mapped (under Wine
    # especially) before its first paint is complete.
    e2e_wait 20 "the empty photo box to be painted" e2e_photo_box_painted
    E2E_EMPTY_PHOTO=$(e2e_photo_region)
}
# Painted (more than a few colours) and the same twice a moment apart.
e2e_photo_box_painted() {
    local origin rect first
    origin=($(e2e_window_origin "$E2E_MAIN"))
    rect="139x143+$((origin[0] + 795))+$((origin[1] + 191))"
    [ "$(import -window root -crop "$rect" -depth 8 -format %k info:)" -gt 4 ] || return 1
    first=$(e2e_region "$rect")
    sleep 0.2
    [ "$(e2e_region "$rect")" = "$first" ]
}

# ---- a scenario's start: the rig is up, the program folder and the member
# table as after installation, a fresh X display.
e2e_begin() {
    e2e_require_rig
    e2e_reset_program_folder
    e2e_reset_members
    e2e_x_start "$@"
    # Every Windows process of the prefix ends with the scenario (they
    # belong to its X display).
    ! e2e_on_windows || e2e_on_exit "wineserver -k"
}
# The station started against the test's store with the settings written,
# up to its registration screen.
e2e_start_ready() {
    [ -f "$(e2e_settings_file)" ] || e2e_write_settings
    e2e_start_station "${1:-$E2E_PROGRAM_DIR}" "${2:-$E2E_OPERATOR}"
    e2e_wait_registration
}

# ---- waiting for the screen to change. X delivers pointer and key events to
# the program by different paths, so a click's effect may land after keys
# sent just behind it: after a click, wait for what it changes on screen.
# e2e_region WxH+X+Y  -> a fingerprint of that part of the screen
e2e_region() { import -window root -crop "$1" -depth 8 rgb:- | md5sum | cut -d' ' -f1; }
# e2e_click_and_wait WIN X Y RECT(client coords WxH+X+Y) [button]
e2e_click_and_wait() {
    local win=$1 x=$2 y=$3 rect=$4 before origin abs
    origin=($(e2e_window_origin "$win"))
    abs=$(awk -v r="$rect" -v ox="${origin[0]}" -v oy="${origin[1]}" 'BEGIN {
        split(r, a, /[x+]/); printf "%dx%d+%d+%d", a[1], a[2], a[3] + ox, a[4] + oy }')
    before=$(e2e_region "$abs")
    e2e_click $((origin[0] + x)) $((origin[1] + y)) "${5:-1}"
    e2e_wait 15 "the screen at $rect to change after a click" bash -c \
        '[ "$(import -window root -crop "$1" -depth 8 rgb:- | md5sum | cut -d" " -f1)" != "$2" ]' _ "$abs" "$before"
}

# ---- the registration screen, in client coordinates
E2E_RECT_PHONE=357x65+314+218
E2E_RECT_NAME=461x65+210+288
E2E_RECT_GENDER=65x49+376+364
E2E_AT_MALE="248 388"
E2E_AT_FEMALE="330 388"
E2E_AT_CONFIRM="514 718"
E2E_AT_TAKE_PHOTO="826 358"
E2E_AT_DELETE_PHOTO="902 358"
E2E_CAMERA_AT_SAVE="333 34"

# Another visible window of the station than the registration screen (a
# message box, the yes/no question, the camera screen): its id.
e2e_dialog() {
    e2e_windows "$E2E_PID" | awk -v main="${E2E_MAIN:-none}" '$1 != main { print $1; f = 1; exit } END { exit !f }'
}
e2e_wait_dialog() { # seconds what
    e2e_wait "${1:-20}" "${2:-a box over the screen}" e2e_dialog
    e2e_dialog
}
e2e_no_dialog() { ! e2e_dialog; }
e2e_wait_no_dialog() {
    e2e_wait "${1:-20}" "${2:-the box to close}" e2e_no_dialog
}

# Type a member's entry the way an operator does: the number (focus is in
# the number field), Tab looks it up, then name and address; gender M, F or
# "-" (leave as looked up).
e2e_enter_member() {
    local digits=$1 name=$2 address=$3 gender=${4:-M}
    [ -z "$digits" ] || e2e_type "$digits"
    e2e_key Tab
    e2e_key ctrl+a
    e2e_type "$name"
    e2e_key Tab ctrl+a
    e2e_type "$address"
    case $gender in
        M) e2e_click_and_wait "$E2E_MAIN" $E2E_AT_MALE "$E2E_RECT_GENDER" ;;
        F) e2e_click_and_wait "$E2E_MAIN" $E2E_AT_FEMALE "$E2E_RECT_GENDER" ;;
    esac
}
e2e_confirm() { e2e_click_in "$E2E_MAIN" $E2E_AT_CONFIRM; }
# ---- a screen smaller than the design (or QT_SCALE_FACTOR, E2E_QT_SCALE):
# the registration screen drawn at the largest scale that fits.
# The station's registration screen, whatever its size: its widest window.
e2e_main_window() {
    e2e_windows "$E2E_PID" | awk '$4 > 500 && $4 > $5 { print $1; f = 1; exit } END { exit !f }'
}
# The framed window $1 lies whole on a screen of $2 x $3.
e2e_frame_on_screen() {
    local o w h l=0 r=0 t=0 b=0
    o=($(e2e_window_origin "$1"))
    read -r w h < <(xwininfo -id "$1" | awk -F: '/Width/ { w = $2 + 0 } /Height/ { h = $2 + 0 } END { print w, h }')
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ,)
    echo "client ${w}x${h}+${o[0]}+${o[1]}, frame $l $r $t $b"
    ((t > 0 && o[0] - l >= 0 && o[1] - t >= 0 && o[0] + w + r <= $2 && o[1] + h + b <= $3))
}
# Client coordinates of the design scaled to the window's size.
e2e_click_scaled() { # window x y
    local w h
    read -r w h < <(xwininfo -id "$1" | awk -F: '/Width/ { w = $2 + 0 } /Height/ { h = $2 + 0 } END { print w, h }')
    e2e_click_in "$1" $(($2 * w / ${E2E_SIZE_REGISTRATION%x*})) $(($3 * h / ${E2E_SIZE_REGISTRATION#*x}))
}
# e2e_fits_and_saves WxH: on that screen the caption and the whole client
# area are on the screen, smaller than designed, and a member entered there
# is saved by a click on the confirm strip where it is drawn.
e2e_fits_and_saves() {
    local width=${1%%x*} rest=${1#*x} height
    height=${rest%%x*}
    e2e_begin "$1"
    e2e_write_settings
    e2e_start_station "$E2E_PROGRAM_DIR"
    e2e_wait 30 "the registration screen" e2e_main_window
    E2E_MAIN=$(e2e_main_window)
    e2e_wait 20 "the framed registration screen to lie on the $width x $height screen" \
        e2e_frame_on_screen "$E2E_MAIN" "$width" "$height"
    e2e_frame_on_screen "$E2E_MAIN" "$width" "$height"
    e2e_shot "registration-on-$1${E2E_QT_SCALE:+-scale-$E2E_QT_SCALE}" "$E2E_MAIN"
    e2e_type 24681357
    e2e_key Tab
    e2e_type "Kim"
    e2e_key Tab
    e2e_type "Seoul 1"
    # The gender box as drawn, scaled: the click shows 여 there.
    local o w h gender before
    o=($(e2e_window_origin "$E2E_MAIN"))
    read -r w h < <(xwininfo -id "$E2E_MAIN" | awk -F: '/Width/ { w = $2 + 0 } /Height/ { h = $2 + 0 } END { print w, h }')
    gender=$((65 * w / 1022))x$((49 * h / 766))+$((o[0] + 376 * w / 1022))+$((o[1] + 364 * h / 766))
    before=$(e2e_region "$gender")
    e2e_click_scaled "$E2E_MAIN" $E2E_AT_FEMALE
    e2e_wait 15 "the gender box to change after the click" \
        bash -c '[ "$(import -window root -crop "$1" -depth 8 rgb:- | md5sum | cut -d" " -f1)" != "$2" ]' _ "$gender" "$before"
    e2e_click_scaled "$E2E_MAIN" $E2E_AT_CONFIRM
    e2e_wait_member 010-2468-1357 "Kim|Seoul 1|여|0|f"
    echo "saved through the confirm strip on the $1 screen"
}

# Wait for a row of the member table to read as expected.
e2e_wait_member() { # memberphone expected
    e2e_wait "${3:-20}" "member $1 to read '$2'" bash -c '[ "$(e2e_member "$1")" = "$2" ]' _ "$1" "$2"
}
export -f e2e_member e2e_sql e2e_psql e2e_pg_bin
export E2E_PASSWORD E2E_PG_HOST E2E_PG_PORT E2E_LOGIN E2E_DB E2E_STORE
# Take a photo through the camera screen: the live preview must move.
e2e_take_photo() {
    local cam
    e2e_click_in "$E2E_MAIN" $E2E_AT_TAKE_PHOTO
    cam=$(e2e_wait_window "$E2E_PID" "$E2E_SIZE_CAMERA" 20 "the camera screen")
    local origin
    origin=($(e2e_window_origin "$cam"))
    local preview=240x265+$((origin[0] + 10))+$((origin[1] + 14))
    e2e_wait 20 "the camera's picture in the preview" bash -c \
        '[ "$(import -window root -crop "$1" -depth 8 -format %k info:)" -gt 20 ]' _ "$preview"
    [ -z "${1:-}" ] || e2e_shot "$1" "$cam"
    e2e_click_in "$cam" $E2E_CAMERA_AT_SAVE
    e2e_wait_no_window "$E2E_PID" "$E2E_SIZE_CAMERA" 20 "the camera screen to close after the save"
}
# The photo box as it is now, and whether it shows a picture: anything but
# the empty box that the screen came up with.
e2e_photo_region() {
    local origin
    origin=($(e2e_window_origin "$E2E_MAIN"))
    e2e_region "139x143+$((origin[0] + 795))+$((origin[1] + 191))"
}
e2e_photo_shown() { [ "$(e2e_photo_region)" != "$E2E_EMPTY_PHOTO" ]; }
# Answer every box with Escape until the station ends (start-up failures
# report through one or more boxes); its exit status in E2E_STATUS.
e2e_dismiss_until_exit() {
    local deadline=$((SECONDS + ${1:-40}))
    until e2e_gone "$E2E_PID"; do
        ((SECONDS < deadline)) || e2e_fail "the station did not end"
        if e2e_dialog >/dev/null 2>&1; then
            e2e_key Escape
            e2e_wait 20 "the box to close on Escape" bash -c "! xdotool search --onlyvisible --pid $E2E_PID --name '' 2>/dev/null | grep -qx '$(e2e_dialog 2>/dev/null || echo none)'"
        fi
        sleep 0.1
    done
    e2e_wait_exit 5
}
e2e_no_photo_shown() { ! e2e_photo_shown; }
