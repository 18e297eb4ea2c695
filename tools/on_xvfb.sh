#!/usr/bin/env bash
# Runs a command on a virtual X server of its own (1024 x 768, 24-bit colour) with a small window
# manager, as on a desktop, so that the game's full-screen request is honoured: tests/xserver.sh
# starts it, as it starts every virtual X server of the project.
# Usage: tools/on_xvfb.sh COMMAND [ARGS...]
set -u
exec bash "$(dirname "$0")/../tests/xserver.sh" run "$@"
