#!/usr/bin/env bash
# The command line, and files handed to the Torvane that runs from the same program folder: each
# program a copy in a temporary folder with its own torvane.ini and game folder, on a virtual
# display of its own, its windows found with xdotool and a box's text read by copying it.
# Arguments: the build folder, the source folder, the project's version.
set -euo pipefail
BUILD=$1 SOURCE=$2 VERSION=$3
TMP=$(mktemp -d)
# Whatever the test started, ended however it ends: the programs are killed (none has anything
# to save), the display asked to end so that it removes its lock.
PIDS=() XVFB=''
stop() {
    local pid
    for pid in "${PIDS[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
    for pid in "${PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    PIDS=()
    if [ -n "$XVFB" ]; then kill "$XVFB" && wait "$XVFB"; fi 2>/dev/null || true
    XVFB=''
}
trap 'stop; rm -rf "$TMP"' EXIT
trap 'exit 1' INT TERM HUP
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
for tool in Xvfb xdotool xclip; do
    command -v "$tool" >/dev/null || fail "no $tool (scripts/test installs it)"
done

# Nothing of the user's own is read or written. The programs run as on a player's desktop, not on
# the offscreen platform that the other tests run on.
export QT_QPA_PLATFORM=xcb HOME="$TMP/home" XDG_DATA_HOME="$TMP/data" \
    XDG_CONFIG_HOME="$TMP/config" XDG_CACHE_HOME="$TMP/cache" XDG_RUNTIME_DIR="$TMP/run"
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# A program folder: the program, its notfound.jpg and a torvane.ini naming a copy of the sample
# game folder beside it.
program() { # FOLDER
    mkdir -p "$1"
    cp "$BUILD/bin/torvane" "$BUILD/bin/notfound.jpg" "$1/"
    cp -r "$SOURCE/resources/sample-game" "$1/game"
    "$SOURCE/scripts/set-game-folder" "$SOURCE/resources/torvane.ini" "$1/game" >"$1/torvane.ini"
}
# An archive of one car: the sample roadster in the folder CAR.
archive() { # ARCHIVE CAR
    mkdir -p "$TMP/cars/$2"
    cp "$SOURCE/resources/sample-game/cars/roadster/"* "$TMP/cars/$2/"
    tar -czf "$1" -C "$TMP/cars" "$2"
}
P1="$TMP/one/program" P2="$TMP/two/program"
program "$P1"
program "$P2"
mkdir "$TMP/down loads"
archive "$TMP/alpha.tar.gz" alpha
archive "$TMP/beta.tar.gz" beta
# A byte that is not UTF-8, a blank and a line break: the name is handed over byte for byte.
# It begins with "-", and is given after "--".
GAMMA=$'-gam\xe9 car\n2.tar.gz'
archive "$TMP/down loads/$GAMMA" gamma
for car in delta epsilon iota kappa; do archive "$TMP/$car.tar.gz" "$car"; done

# --help and --version need no display, and open no window without one.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 "$P1/torvane" --help) ||
    fail "--help without a display ended with $?"
grep -q '^Usage: torvane ' <<<"$out" || fail "--help printed: $out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 "$P1/torvane" --version) ||
    fail "--version without a display ended with $?"
[ "$out" = "Torvane $VERSION" ] || fail "--version printed: $out"
# An unknown option ends with 2, and says so, without a display too; Qt's own are not unknown.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 "$P1/torvane" -style fusion --frobnicate \
    2>"$TMP/err" || status=$?
[ "$status" = 2 ] && grep -q "unknown option '--frobnicate'" "$TMP/err" ||
    fail "an unknown option ended with $status: $(cat "$TMP/err")"

Xvfb -displayfd 3 -nolisten tcp 3>"$TMP/display" >"$TMP/xvfb.log" 2>&1 &
XVFB=$!
for _ in $(seq 50); do [ -s "$TMP/display" ] || sleep 0.2; done
[ -s "$TMP/display" ] || fail "no virtual display: $(cat "$TMP/xvfb.log")"
export DISPLAY=":$(cat "$TMP/display")"

x() { timeout 5 xdotool "$@" 2>/dev/null; }
# The visible windows titled by the pattern, of the program when given.
windows() { # PATTERN [PID]
    if [ -n "${2-}" ]; then x search --all --onlyvisible --pid "$2" --name "$1" || true; else
        x search --onlyvisible --name "$1" || true; fi
}
count() { windows "$@" | grep -c . || true; }
declare -A LOGS
start() { # LOG PROGRAM ARGUMENTS...: in the background, its pid in STARTED
    local log=$1
    shift
    "$@" >"$log" 2>&1 &
    STARTED=$!
    PIDS+=("$STARTED")
    LOGS[$STARTED]=$log
}
running() { # PID: fails, with the end of its output, once the program has ended
    kill -0 "$1" 2>/dev/null || fail "program $1 ended: $(tail -n 5 "${LOGS[$1]}")"
}
main_window() { # PID: waits for the program's main window, listed
    for _ in $(seq 100); do
        [ "$(count '^Zelmor Torvane' "$1")" = 1 ] && return 0
        running "$1"
        sleep 0.2
    done
    fail "no main window of $1 in 20 s"
}
# Waits for a box of the program whose text holds each of the texts. A box is read by copying
# it: Qt's own option -stylesheet, which the program leaves to Qt, makes its text selectable.
# Another box titled the same, such as the install's progress, is waited out.
printf 'QMessageBox { messagebox-text-interaction-flags: 11; }\n' >"$TMP/select.qss"
QT=(-stylesheet "$TMP/select.qss")
shown() { # PID TEXT...
    local pid=$1 box text='' wanted missing
    shift
    for _ in $(seq 100); do
        for box in $(windows '^Torvane$' "$pid"); do
            x windowfocus --sync "$box" && x key ctrl+a ctrl+c || continue
            text=$(timeout 5 xclip -o -selection clipboard 2>/dev/null) || continue
            missing=''
            for wanted in "$@"; do grep -qF -- "$wanted" <<<"$text" || missing=$wanted; done
            [ -z "$missing" ] && return 0
        done
        running "$pid"
        sleep 0.2
    done
    fail "no box of $pid saying: $*; the last read: $text"
}
# The same, answered with Escape: the selectable text may hold the focus, and take Enter.
answer() { # PID TEXT...
    shown "$@"
    x key Escape
}
installed() { # PROGRAM CAR...
    local car
    for car in "${@:2}"; do
        [ -f "$1/game/cars/$car/parameters.txt" ] || fail "$car is not in $1/game/cars"
    done
}
# A hand-over: ends with 0 within a second, showing no window. Its time in ms in TOOK.
hand_over() { # FOLDER PROGRAM ARGUMENTS...
    local folder=$1 begun status=0
    shift
    begun=$(date +%s%N)
    (cd "$folder" && exec timeout 10 "$@") >"$TMP/client.log" 2>&1 || status=$?
    TOOK=$((($(date +%s%N) - begun) / 1000000))
    [ "$status" = 0 ] || fail "$* ended with $status: $(cat "$TMP/client.log")"
    [ "$TOOK" -lt 1000 ] || fail "$* took $TOOK ms"
    TIMES+=("$TOOK")
}
TIMES=()

# Alone, with an archive: the window opens and installs it.
start "$TMP/one.log" "$P1/torvane" "${QT[@]}" "$TMP/alpha.tar.gz"
FIRST=$STARTED
main_window "$FIRST"
answer "$FIRST" "Installed 'alpha' from 'alpha.tar.gz'."
installed "$P1" alpha

# Handed to the running one while a box is open over its window (File, Install Car from Archive):
# it takes them at once, installs nothing under the box, and installs them once it is closed. A
# missing file gets the install's own message.
opened() { # PID TITLE: waits for the program's window of that title, and focuses it
    for _ in $(seq 100); do
        [ "$(count "^$2\$" "$1")" = 1 ] && break
        sleep 0.2
    done
    x search --all --onlyvisible --pid "$1" --name "^$2\$" windowfocus --sync >/dev/null ||
        fail "no window \"$2\" of $1"
}
opened "$FIRST" 'Zelmor Torvane 1.0'
x key alt+f i
opened "$FIRST" 'Install Car from Archive'
hand_over "$TMP/down loads" "$P1/torvane" "$TMP/beta.tar.gz" -- "$GAMMA" "$TMP/ghost.tar.gz"
[ "$(count '^Zelmor Torvane')" = 1 ] || fail "a second main window opened"
sleep 1
[ ! -e "$P1/game/cars/beta" ] || fail "installed under an open box"
opened "$FIRST" 'Install Car from Archive'
x key Escape
answer "$FIRST" "Installed 'beta' from 'beta.tar.gz'." "Installed 'gamma' from '-gamé car" \
    "'ghost.tar.gz' was not installed: No such file or directory."
installed "$P1" beta gamma
# Without files, it only comes to the front.
hand_over "$TMP" "$P1/torvane"
[ "$(count '^Zelmor Torvane')" = 1 ] || fail "a second main window opened"

# Killed, it leaves its socket; the next start takes it over and serves the one after it.
kill -KILL "$FIRST"
wait "$FIRST" 2>/dev/null || true
ls "$XDG_RUNTIME_DIR"/torvane-* >/dev/null || fail "no socket in $XDG_RUNTIME_DIR"
start "$TMP/again.log" "$P1/torvane" "$TMP/delta.tar.gz" "${QT[@]}"
AGAIN=$STARTED
main_window "$AGAIN"
answer "$AGAIN" "Installed 'delta' from 'delta.tar.gz'."
hand_over "$TMP" "$P1/torvane" "$TMP/epsilon.tar.gz"
answer "$AGAIN" "Installed 'epsilon' from 'epsilon.tar.gz'."
installed "$P1" delta epsilon

# Another program folder runs beside it, and hands nothing to it.
start "$TMP/two.log" "$P2/torvane" "${QT[@]}" "$TMP/iota.tar.gz"
TWO=$STARTED
main_window "$TWO"
answer "$TWO" "Installed 'iota' from 'iota.tar.gz'."
hand_over "$TMP" "$P2/torvane" "$TMP/kappa.tar.gz"
answer "$TWO" "Installed 'kappa' from 'kappa.tar.gz'."
installed "$P2" iota kappa
[ ! -e "$P1/game/cars/iota" ] && [ ! -e "$P1/game/cars/kappa" ] || fail "$P2 handed over to $P1"
[ "$(count '^Zelmor Torvane')" = 2 ] ||
    fail "$(count '^Zelmor Torvane') main windows for two program folders"

# Of two starts at the same instant, the first holds the lock and greets the player on the first
# run, and listens only once its options are shown: the second waits for it, with no window of
# its own, and then hands its file over. Before the game folder is chosen, neither installs.
P3="$TMP/three/program"
mkdir -p "$P3"
cp "$BUILD/bin/torvane" "$BUILD/bin/notfound.jpg" "$SOURCE/resources/torvane.ini" "$P3/"
start "$TMP/three-a.log" "$P3/torvane" "${QT[@]}" "$TMP/iota.tar.gz"
THREE_A=$STARTED
opened "$THREE_A" 'Welcome to Zelmor Torvane!'
start "$TMP/three-b.log" "$P3/torvane" "$TMP/kappa.tar.gz"
THREE_B=$STARTED
sleep 1.5
running "$THREE_B"
[ "$(count . "$THREE_B")" = 0 ] || fail "the second start opened a window"
opened "$THREE_A" 'Welcome to Zelmor Torvane!'
x key Escape
for _ in $(seq 50); do kill -0 "$THREE_B" 2>/dev/null || break; sleep 0.2; done
! kill -0 "$THREE_B" 2>/dev/null || fail "the second start did not hand over"
status=0
wait "$THREE_B" || status=$?
[ "$status" = 0 ] || fail "the second start ended with $status"
for car in kappa iota; do
    answer "$THREE_A" "These files were not installed" "$TMP/$car.tar.gz"
done
[ "$(count '^Options$' "$THREE_A")" = 1 ] || fail "no options dialog on the first run"
echo "PASS: --help, --version, an unknown option; installed alone, handed over (ms: ${TIMES[*]})," \
    "a stale socket, two program folders, two started at once on the first run"
