#!/usr/bin/env bash
# The Debian package, as distributions check it: tools/package.sh builds it twice, in two folders
# at two times, into the same bytes; lintian finds no error or warning; installed with dpkg, the
# game is in /usr/games and its pictures in /usr/share/games/tarvelo, which its help, its manual
# page and its error lines name; started from / it draws the start screen of the tree's build,
# in a window of class "tarvelo", "Tarvelo" (the menu entry's StartupWMClass) showing the painted
# icon; its lists of releases agree; removing the package leaves none of its files.
# Needs root (skipped otherwise).
#   Usage: package_test.sh GAME SCREEN_PROBE PICTURE_FOLDER BUILD_FOLDER SOURCE_FOLDER
source "$(dirname "$0")/../e2e/e2e_lib.sh"
SOURCE=$5
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

# ---- built twice, the same bytes: the second build in another folder, later

# The package's times are the last commit's (tools/package.sh): read once, for both builds, so
# that a commit made while the test runs does not fall between them.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && epoch=$(git -C "$SOURCE" log -1 --format=%ct 2>/dev/null); then
    export SOURCE_DATE_EPOCH=$epoch
fi
packages=()
for build in one two; do
    package=$(bash "$SOURCE/tools/package.sh" "$WORK/$build" 2>"$WORK/package-$build.txt") || {
        tail -n 30 "$WORK/package-$build.txt"; echo "FAIL: tools/package.sh"; exit 1; }
    packages+=("$package")
done
PACKAGE=${packages[0]}
if cmp "${packages[@]}"; then
    pass "two builds in two folders give the same package, byte for byte ($(stat -c %s "$PACKAGE") bytes)"
else
    fail "the two builds' packages differ"
fi

# ---- what distributions check

status=0
lintian --fail-on error,warning -I "$PACKAGE" >"$WORK/lintian.txt" 2>&1 || status=$?
grep -v '^running with root privileges' "$WORK/lintian.txt" >"$WORK/lintian-tags.txt"
if [ $status = 0 ] && ! grep -qE '^[EW]: |hardening' "$WORK/lintian-tags.txt"; then
    pass "lintian: no error, no warning, no missing hardening ($(grep -c '^I: ' "$WORK/lintian-tags.txt") info tags)"
else
    fail "lintian: status $status, $(cat "$WORK/lintian-tags.txt")"
fi
depends=$(dpkg-deb -f "$PACKAGE" Depends)
if echo "$depends" | grep -q libglut && echo "$depends" | grep -q libsdl2 &&
    ! echo "$depends" | grep -qE 'gtest|benchmark|png'; then
    pass "the package depends on runtime libraries only: $depends"
else
    fail "the package's dependencies: '$depends'"
fi

dpkg -i "$PACKAGE" >"$WORK/dpkg.txt" 2>&1 || { cat "$WORK/dpkg.txt"; echo "FAIL: dpkg -i"; exit 1; }
PICTURES=/usr/share/games/tarvelo
trap '[ -e "$WORK/Water.bmp" ] && mv "$WORK/Water.bmp" $PICTURES/; cleanup; dpkg -r tarvelo >/dev/null 2>&1' EXIT
dpkg -L tarvelo >"$WORK/files.txt"
if [ -x /usr/games/tarvelo ] && [ -f $PICTURES/Car.bmp ] && ! grep -qx /usr/bin/tarvelo "$WORK/files.txt"; then
    pass "installed: the program in /usr/games, the pictures in $PICTURES"
else
    fail "the installed files: $(grep -E 'tarvelo$|Car.bmp' "$WORK/files.txt" | tr '\n' ' ')"
fi

# The lists of releases made from NEWS: the changelog's and the metainfo's newest is the package's.
version=$(dpkg-deb -f "$PACKAGE" Version)
changelog=$(zcat /usr/share/doc/tarvelo/changelog.gz | head -n 1)
metainfo=/usr/share/metainfo/org.tarvelo.tarvelo.metainfo.xml
newest=$(grep -m 1 -o '<release version="[^"]*"' $metainfo)
if [ "$changelog" = "tarvelo ($version) unstable; urgency=medium" ] &&
    [ "$newest" = "<release version=\"$version\"" ]; then
    pass "the changelog and the metainfo begin with release $version"
else
    fail "package $version, changelog '$changelog', metainfo '$newest'"
fi

# ---- the folders the program names

GAME=/usr/games/tarvelo
if "$GAME" --help | grep -q "else from the installed folder, $PICTURES\.$" &&
    zcat /usr/share/man/man6/tarvelo.6.gz | grep -qxF ".IR $PICTURES ,"; then
    pass "--help and the manual page name $PICTURES"
else
    fail "--help: $("$GAME" --help | grep -A 1 'installed folder'), or the manual page does not name $PICTURES"
fi
# A missing picture, found beside the program and, for a copy of it elsewhere, in the folder
# built in: the one error line names the folder where the pictures are.
mv $PICTURES/Water.bmp "$WORK/Water.bmp"
mkdir "$WORK/alone" && cp "$GAME" "$WORK/alone/tarvelo"
for program in "$GAME" "$WORK/alone/tarvelo"; do
    status=0
    (cd / && exec timeout 20 "$program" >/dev/null 2>"$WORK/err.txt") || status=$?
    expected="tarvelo: Water.bmp in $PICTURES: Failed to open DIB file Water.bmp."
    if [ $status = 1 ] && [ "$(cat "$WORK/err.txt")" = "$expected" ]; then
        pass "$program without Water.bmp: status 1, '$expected'"
    else
        fail "$program without Water.bmp: status $status, '$(cat "$WORK/err.txt")'"
    fi
done
mv "$WORK/Water.bmp" $PICTURES/

# ---- the packaged game on screen, and who its window is

start_game /
screen=$(shot installed)
if same_screen "$screen" "$REFERENCE"; then
    pass "the packaged game, started from /, draws the start screen pixel for pixel"
else
    fail "the packaged game's start screen differs" "$screen" "$REFERENCE"
fi
class=$(xprop -id "$WINDOW" WM_CLASS)
startup=$(grep '^StartupWMClass=' /usr/share/applications/tarvelo.desktop)
if [ "$class" = 'WM_CLASS(STRING) = "tarvelo", "Tarvelo"' ] && [ "$startup" = StartupWMClass=Tarvelo ]; then
    pass "the window's class is \"tarvelo\", \"Tarvelo\", as the menu entry's $startup"
else
    fail "the window's $class, the menu entry's '$startup'"
fi
# The window's icon begins with the 32 x 32 one, pixel for pixel the installed 32 x 32 icon.
xprop -id "$WINDOW" -notype -f _NET_WM_ICON 32c '=$0+\n' _NET_WM_ICON |
    sed 's/^_NET_WM_ICON=//' | tr -d ' ' | tr ',' '\n' | head -n 1026 >"$WORK/window-icon.txt"
{
    echo 32; echo 32
    convert /usr/share/icons/hicolor/32x32/apps/tarvelo.png -depth 8 rgb:- | od -An -v -tu1 |
        awk '{ for (i = 1; i <= NF; i++) { c[n++] = $i
                   if (n == 3) { printf "%.0f\n", 4278190080 + c[0] * 65536 + c[1] * 256 + c[2]; n = 0 } } }'
} >"$WORK/file-icon.txt"
if [ "$(wc -l <"$WORK/file-icon.txt")" = 1026 ] && cmp -s "$WORK/window-icon.txt" "$WORK/file-icon.txt"; then
    pass "the window shows the game's icon: its 32 x 32 pixels are the installed icon's"
else
    fail "the window's icon: '$(head -c 80 "$WORK/window-icon.txt" | tr '\n' ' ')', not the installed icon"
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
