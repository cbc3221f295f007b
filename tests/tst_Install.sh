#!/usr/bin/env bash
# The installed program folder, the archive made of it, and the desktop's menu, all in a
# temporary folder. Arguments: the build folder, the source folder, the project's version.
set -euo pipefail
BUILD=$1 SOURCE=$2 VERSION=$3
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# Everything in a folder, one relative path a line.
tree() { (cd "$1" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort); }
EXPECTED=$(printf '%s\n' add-to-menu icons icons/256x256 icons/256x256/torvane.png icons/32x32 \
    icons/32x32/torvane.png icons/48x48 icons/48x48/torvane.png notfound.jpg torvane \
    torvane.desktop torvane.ini)
# A valid desktop entry, which starts FOLDER/torvane when given: Exec="FOLDER/torvane", with $
# escaped as desktop entries want. Errors and warnings fail; the hint that Game;Utility; are two
# main categories does not.
check_entry() { # ENTRY [FOLDER]
    local out exec=${2-}
    exec=${exec//\$/\\\\\$}
    out=$(desktop-file-validate "$1" 2>&1) || fail "$out"
    if grep -v ': hint: ' <<<"$out" | grep -q .; then fail "$out"; fi
    [ -z "$exec" ] || grep -qxF "Exec=\"$exec/torvane\"" "$1" || fail "$1 does not start $2/torvane: $(grep Exec= "$1")"
}

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
# game folder brings the greeting (without the file it would abort).
out=$(cd "$TMP" && TORVANE_START_CHECK=1 QT_QPA_PLATFORM=offscreen timeout 60 "$DIR/torvane" 2>&1) ||
    fail "the installed program failed: $out"
grep -qF '[Welcome to Zelmor Torvane!]' <<<"$out" || fail "no greeting: $out"

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
for size in 32x32 48x48 256x256; do
    cmp "$SHARE/icons/hicolor/$size/apps/torvane.png" "$UNPACKED/icons/$size/torvane.png"
done
echo "PASS: installed, kept the settings, started, packed and put into the menu"
