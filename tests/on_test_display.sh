#!/usr/bin/env bash
# Runs a test script on the tests' own virtual X server, whose display name tests/xserver.sh
# wrote to the file in TARVELO_TEST_DISPLAY_FILE. With no server, the test is skipped (status 77)
# saying why.   Usage: on_test_display.sh COMMAND [ARGS...]
set -u
file=${TARVELO_TEST_DISPLAY_FILE:-}
if [ -n "$file" ]; then
    display=$(cat "$file" 2>/dev/null)
    if [ -z "$display" ]; then
        echo "SKIPPED: no virtual X server for the tests ($file is missing: is Xvfb installed?)"
        exit 77
    fi
    export DISPLAY=$display
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "SKIPPED: no X server: DISPLAY is not set (run the tests through ctest, which starts one)"
    exit 77
fi
# The games the tests start play their sound through OpenAL Soft's silent backend.
export ALSOFT_CONF=${ALSOFT_CONF:-$(dirname "$0")/quiet-alsoft.conf}
exec "$@"
