#!/usr/bin/env bash
# The Debian package: built by cpack, installed with dpkg, the installed game started from / draws
# the start screen of the tree's build, and removing the package leaves none of its files.
# Needs root (skipped otherwise).   Usage: package_test.sh GAME SCREEN_PROBE PICTURE_FOLDER BUILD_FOLDER
source "$(dirname "$0")/../e2e/e2e_lib.sh"
BUILD=$4
unset TARVELO_DATA
if [ "$(id -u)" != 0 ] || ! command -v dpkg >/dev/null; then
    echo "SKIPPED: installing a package needs root and dpkg"
    exit 77
fi
if dpkg-query -W -f='${Status}' tarvelo 2>/dev/null | grep -q "ok installed"; then
    echo "SKIPPED: a tarvelo package is installed already; this test does not replace it"
    exit 77
fi

reference_start_screen
REFERENCE=$WORK/reference.ppm

(cd "$BUILD" && cpack -G DEB >"$WORK/cpack.txt" 2>&1) || { cat "$WORK/cpack.txt"; echo "FAIL: cpack"; exit 1; }
PACKAGE=$(ls "$BUILD"/tarvelo_*.deb | head -n 1)
depends=$(dpkg-deb -f "$PACKAGE" Depends)
if echo "$depends" | grep -q libglut && echo "$depends" | grep -q libsdl2 &&
    ! echo "$depends" | grep -qE 'gtest|benchmark|png'; then
    pass "the package depends on runtime libraries only: $depends"
else
    fail "the package's dependencies: '$depends'"
fi
dpkg -i "$PACKAGE" >"$WORK/dpkg.txt" 2>&1 || { cat "$WORK/dpkg.txt"; echo "FAIL: dpkg -i"; exit 1; }
trap 'cleanup; dpkg -r tarvelo >/dev/null 2>&1' EXIT
dpkg -L tarvelo >"$WORK/files.txt"
GAME=/usr/bin/tarvelo
start_game /
screen=$(shot installed)
if same_screen "$screen" "$REFERENCE"; then
    pass "the packaged game, started from /, draws the start screen pixel for pixel"
else
    fail "the packaged game's start screen differs" "$screen" "$REFERENCE"
fi
keys Escape
wait_exit 5 || fail "Escape did not end the packaged game"
dpkg -r tarvelo >"$WORK/dpkg.txt" 2>&1 || { cat "$WORK/dpkg.txt"; fail "dpkg -r"; }
left=0
while read -r path; do
    [ -e "$path" ] && [ ! -d "$path" ] && { echo "left behind: $path"; left=$((left + 1)); }
done <"$WORK/files.txt"
[ $left = 0 ] && pass "dpkg -r leaves none of the package's $(wc -l <"$WORK/files.txt") paths but shared folders" ||
    fail "$left file(s) of the package left behind"
dpkg-query -W -f='${Status}' tarvelo 2>/dev/null | grep -q "ok installed" && fail "the package is still installed"
finish
