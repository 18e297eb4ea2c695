#!/usr/bin/env bash
# The browser build's page against the desktop game: the desktop's start screen is taken here,
# then tests/web/browser_test.js plays the page in headless chromium and compares its first
# frame with it; the drive the page recorded is then checked by the desktop game (its rules alone:
# the pictures are another renderer's). TARVELO_WEB_BUILD names the browser build's folder.
source "$(dirname "$0")/e2e_lib.sh"
: "${TARVELO_WEB_BUILD:?the folder of the browser build}"

reference_start_screen
if ! node "$TESTS/web/browser_test.js" "$TARVELO_WEB_BUILD" "$WORK/reference.ppm" "$WORK"; then
    fail "the page in the browser"
fi
if [ -s "$WORK/browser.rec" ]; then
    verdict=$(env -u DISPLAY "$GAME" --check "$WORK/browser.rec")
    case "$verdict" in
        *": ok, "*) pass "the drive recorded in the browser checks on the desktop: ${verdict#*: }" ;;
        *) fail "the drive recorded in the browser does not check on the desktop: $verdict" ;;
    esac
fi
finish
