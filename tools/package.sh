#!/usr/bin/env bash
# Builds the Debian package: a Release build of its own, for the prefix /usr with the games
# layout (the program in /usr/games, the pictures in /usr/share/games/tarvelo, which the program
# names in its help and its error lines), then cpack. Reproducible: every build of one commit,
# in any folder and at any time, gives the same file, its times being the last commit's.
#   Usage: tools/package.sh [BUILD_FOLDER]   (default: build-package/); prints the package's path
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-package}

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    # Outside a git checkout: the day of the newest release in NEWS.
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null ||
        date -u -d "$(grep -m 1 -o '^[0-9.]* ([0-9-]*)' "$root/NEWS" | grep -o '[0-9-]\{10\}')" +%s)
fi
export SOURCE_DATE_EPOCH
umask 022  # the package's folders and files readable by all, whatever the builder's own umask

# The build's own lines go to stderr: stdout is the package's path alone. What the package is
# built with, installed where it is missing: the game's build packages, and dpkg-dev and file for
# cpack's look at the program's libraries.
bash "$root/tools/install_packages.sh" --build dpkg-dev file >&2
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DTARVELO_GAMES_LAYOUT=ON -DBUILD_TESTING=OFF -DTARVELO_BENCH=OFF -DTARVELO_SANITIZE=OFF \
    -DTARVELO_FUZZ=OFF >&2
cmake --build "$build" -j"$(nproc)" >&2
(cd "$build" && cpack -G DEB) | tee /dev/stderr | sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p'
