#!/usr/bin/env bash
# Build and play on a fresh Debian machine: installs (as root, or through sudo) only what building
# and running the game needs and is missing, builds the game alone in Release into build-play/
# and starts it with the project's pictures. Options are passed to the game (--window, ...).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

bash "$root/tools/install_packages.sh" --build libgl1-mesa-dri

cmake -S "$root" -B "$root/build-play" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build-play" --target tarvelo -j"$(nproc)"
exec "$root/build-play/tarvelo" --data "$root/data" "$@"
