#!/usr/bin/env bash
# The installed program folder, the archive made of it, and the desktop's menu, all in a
# temporary folder; and the demo's settings. Arguments: the build folder, the source folder,
# the project's version.
set -euo pipefail
BUILD=$1 SOURCE=$2 VERSION=$3
TMP=$(mktemp -d)
# The program and its virtual display, stopped however the test ends. The program is waiting
# at a message box with nothing to save, so it is simply killed; the display is asked to end
# so that it removes its lock.
PROGRAM='' XVFB=''
stop() {
    if [ -n "$PROGRAM" ]; then kill -KILL "$PROGRAM" && wait "$PROGRAM"; fi 2>/dev/null || true
    if [ -n "$XVFB" ]; then kill "$XVFB" && wait "$XVFB"; fi 2>/dev/null || true
    PROGRAM='' XVFB=''
}
trap 'stop; rm -rf "$TMP"' EXIT
trap 'exit 1' INT TERM HUP

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# Everything in a folder, one relative path a line.
tree() { (cd "$1" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort); }
EXPECTED=$(printf '%s\n' add-to-menu icons icons/256x256 icons/256x256/torvane.png icons/32x32 \
    icons/32x32/torvane.png icons/48x48 icons/48x48/torvane.png notfound.jpg torvane \
    torvane.desktop torvane.ini)
# The archive types Torvane installs, which file managers offer to open with it.
ARCHIVE_TYPES='application/zip application/x-7z-compressed application/vnd.rar application/x-tar
    application/x-compressed-tar application/x-xz-compressed-tar application/x-bzip-compressed-tar'
# A valid desktop entry, which starts FOLDER/torvane when given, with the files opened:
# Exec="FOLDER/torvane" %F, with $ escaped as desktop entries want; and which names every archive
# type. Errors and warnings fail; the hint that Game;Utility; are two main categories does not.
check_entry() { # ENTRY [FOLDER]
    local out type exec=${2-}
    exec=${exec//\$/\\\\\$}
    out=$(desktop-file-validate "$1" 2>&1) || fail "$out"
    if grep -v ': hint: ' <<<"$out" | grep -q .; then fail "$out"; fi
    grep -qx 'Exec=.* %F' "$1" || fail "$1 is not given the files: $(grep Exec= "$1")"
    [ -z "$exec" ] || grep -qxF "Exec=\"$exec/torvane\" %F" "$1" || fail "$1 does not start $2/torvane: $(grep Exec= "$1")"
    for type in $ARCHIVE_TYPES; do
        grep -qE "^MimeType=(.*;)?$type;" "$1" || fail "$1 does not open $type"
    done
}

# The demo's settings name a game folder whose path holds characters that would be syntax to a
# text-rewriting tool; every other byte of the file stays as it was.
game="$TMP/R&D|x\\y z/sample-game"
printf '[Directories]\r\nEXEPath=\r\n[UserInfo]\r\nName=J\xe9r\xf4me\r\n' >"$TMP/template.ini"
printf '[Directories]\r\nEXEPath=%s\r\n[UserInfo]\r\nName=J\xe9r\xf4me\r\n' "$game" \
    >"$TMP/expected.ini"
"$SOURCE/scripts/set-game-folder" "$TMP/template.ini" "$game" >"$TMP/demo.ini" ||
    fail "no demo settings for $game"
cmp -s "$TMP/demo.ini" "$TMP/expected.ini" ||
    fail "demo settings for $game:"$'\n'"$(od -c "$TMP/demo.ini")"

# A folder name with a blank and a dollar sign, both of which the entry must quote, given
# relative to the folder the install runs in.
DIR="$TMP/My Games/\$torvane"
(cd "$TMP" && cmake --install "$BUILD" --prefix "My Games/\$torvane" >/dev/null)
[ "$(tree "$DIR")" = "$EXPECTED" ] || fail "installed:"$'\n'"$(tree "$DIR")"
cmp "$DIR/torvane.ini" "$SOURCE/resources/torvane.ini"
cmp "$DIR/icons/256x256/torvane.png" "$SOURCE/resources/icons/torvane-256.png"
check_entry "$DIR/torvane.desktop" "$DIR"
for line in Name=Torvane Icon=torvane 'Categories=Game;Utility;' 'Comment=.+'; do
    grep -qxE "$line" "$DIR/torvane.desktop" || fail "no $line in the desktop entry"
done

# Started from elsewhere, the program finds the shipped torvane.ini beside itself: its empty
# game folder brings the greeting (without the file it would abort with another box). It runs
# as a player's would, on a virtual display of its own, where the box is looked for by title.
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || fail "no $tool (scripts/test installs it)"
done
Xvfb -displayfd 3 -nolisten tcp 3>"$TMP/display" >"$TMP/xvfb.log" 2>&1 &
XVFB=$!
for _ in $(seq 50); do [ -s "$TMP/display" ] || sleep 0.2; done
[ -s "$TMP/display" ] || fail "no virtual display: $(cat "$TMP/xvfb.log")"
display=":$(cat "$TMP/display")"
# Its socket for later starts goes into a runtime folder of the test's own.
mkdir -m 700 "$TMP/run"
(cd "$TMP" && DISPLAY=$display QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$TMP/run" exec "$DIR/torvane") \
    >"$TMP/torvane.log" 2>&1 &
PROGRAM=$!
title='Welcome to Zelmor Torvane!'
on_display() { DISPLAY=$display timeout 5 xdotool "$@"; }
greeted() { on_display search --onlyvisible --name "^$title\$" >/dev/null; }
for _ in $(seq 60); do
    greeted && break
    kill -0 "$PROGRAM" 2>/dev/null || fail "the installed program ended: $(cat "$TMP/torvane.log")"
    sleep 0.5
done
if ! greeted; then
    windows=$(on_display search --onlyvisible --name . getwindowname %@ | paste -sd '|') || true
    fail "no window titled \"$title\" in 30 s; windows: \"$windows\"; $(cat "$TMP/torvane.log")"
fi
stop

# Installing again keeps the player's settings.
printf '[Directories]\r\nEXEPath=/home/player/Drovak\r\n[UserInfo]\r\nName=J\xe9r\xf4me\r\n' \
    >"$DIR/torvane.ini"
cp "$DIR/torvane.ini" "$TMP/settings"
cmake --install "$BUILD" --prefix "$DIR" >/dev/null
cmp "$DIR/torvane.ini" "$TMP/settings" || fail "an install replaced the player's torvane.ini"

# The archive holds the same folder; unpacked anywhere, add-to-menu points its entry at it and
# puts it into the user's menu.
(cd "$BUILD" && cpack -G TGZ -B "$TMP/pack" >/dev/null)
mkdir "$TMP/unpacked here"
tar -xzf "$TMP/pack/torvane-$VERSION-Linux.tar.gz" -C "$TMP/unpacked here"
UNPACKED="$TMP/unpacked here/torvane-$VERSION-Linux"
[ "$(tree "$UNPACKED")" = "$EXPECTED" ] || fail "archive:"$'\n'"$(tree "$UNPACKED")"
check_entry "$UNPACKED/torvane.desktop"
env -u XDG_DATA_HOME HOME="$TMP/home" "$UNPACKED/add-to-menu" >/dev/null
SHARE="$TMP/home/.local/share"
check_entry "$SHARE/applications/torvane.desktop" "$UNPACKED"
check_entry "$UNPACKED/torvane.desktop" "$UNPACKED"
# The file manager's Open With reads which entries open a type from this cache.
for type in $ARCHIVE_TYPES; do
    grep -qE "^$type=(.*;)?torvane\.desktop;" "$SHARE/applications/mimeinfo.cache" ||
        fail "Open With does not offer Torvane for $type"
done
for size in 32x32 48x48 256x256; do
    cmp "$SHARE/icons/hicolor/$size/apps/torvane.png" "$UNPACKED/icons/$size/torvane.png"
done
echo "PASS: demo settings; installed, kept the settings, started, packed and put into the menu"
