#!/usr/bin/env bash
# The browser build: installs what it needs (Debian's emscripten and Node.js, as root or through
# sudo) and builds it into build-web/. So far it holds the drive checker, run under Node:
#   node build-web/tarvelo-check.js FILE...
#   Usage: tools/web.sh
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install_packages.sh emscripten nodejs cmake make
# Debian's emscripten runs its JavaScript optimiser with the system's Node modules.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web -j"$(nproc)"
