# Shared by scripts/run and scripts/test: installs the Debian packages that are missing and
# builds the project in build/.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"

install_missing() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

BUILD_PACKAGES=(cmake make g++ qt6-base-dev libarchive-dev zlib1g-dev qt6-qpa-plugins fonts-dejavu-core)
# What the tests need besides: the check of the desktop entry, the FAT and exFAT disks
# mounted through FUSE, and a virtual display on which the program's windows are found by title
# and a box's text read from the clipboard; the check of the code's layout; and the compiler and
# fuzzing runtime of the install's fuzzer.
TEST_PACKAGES=(desktop-file-utils libarchive-tools exfat-fuse exfatprogs fusefat dosfstools xvfb xdotool
    xclip clang-format clang libclang-rt-14-dev)

# build [--target NAME]: everything, or the targets named.
# CONFIGURE: more options for cmake, such as the developer build's.
CONFIGURE=()
build() {
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${CONFIGURE[@]}" >/dev/null
    cmake --build "$BUILD" -j "$(nproc)" "$@"
}
