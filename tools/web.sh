#!/usr/bin/env bash
# The browser build: installs what it needs (Debian's emscripten and Node.js, as root or through
# sudo) and builds it into build-web/: the game's page, index.html, with what it loads beside it
# (index.js, index.wasm, and index.data holding the pictures), and the drive checker, run under
# Node (`node build-web/tarvelo-check.js FILE...`). With --serve it then serves the page on
# http://127.0.0.1:8000/ until stopped (Ctrl+C).
#   Usage: tools/web.sh [--serve]
set -euo pipefail
cd "$(dirname "$0")/.."
serve=false
case "${1:-}" in
    --serve) serve=true ;;
    "") ;;
    *) echo "usage: tools/web.sh [--serve]" >&2; exit 2 ;;
esac
bash tools/install_packages.sh emscripten nodejs cmake make
# Debian's emscripten runs its JavaScript optimiser with the system's Node modules.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web -j"$(nproc)"
if $serve; then
    echo "TARVELO! in a browser: http://127.0.0.1:8000/"
    exec node tools/serve_web.js build-web 8000
fi
