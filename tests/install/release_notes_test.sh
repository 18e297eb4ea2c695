#!/usr/bin/env bash
# The release lists made from NEWS: a good NEWS gives the metainfo's releases (text escaped for
# XML) and a Debian changelog (the right weekday, lines within 79 columns); a NEWS that would make
# lists disagreeing with the version, out of order or with a day that does not exist is refused.
#   Usage: release_notes_test.sh RELEASE_NOTES
set -u
TOOL=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
FAILURES=0
printf '<component>\n@TARVELO_RELEASES@\n</component>\n' >"$WORK/template"

# make_lists NEWS_TEXT [VERSION]: runs the tool; its error output is in $WORK/err.
make_lists()
{
    printf '%s\n' "$1" >"$WORK/NEWS"
    "$TOOL" "$WORK/NEWS" "${2:-1.10}" "A Team <team@example.org>" "$WORK/template" \
        "$WORK/metainfo" "$WORK/changelog" 2>"$WORK/err"
}

good="Releases, newest first.

1.10 (2025-01-01)
- Faster <and> smaller & a change described at such length that the changelog has to wrap it
  onto a second line and then onto a third line, as Debian's changelog keeps lines short.

1.9 (2024-02-29)
- The first."
if make_lists "$good" &&
    grep -qF '<li>Faster &lt;and&gt; smaller &amp; a change described at such length' "$WORK/metainfo" &&
    grep -qF '<release version="1.9" date="2024-02-29">' "$WORK/metainfo" &&
    grep -qxF ' -- A Team <team@example.org>  Thu, 29 Feb 2024 00:00:00 +0000' "$WORK/changelog" &&
    grep -qxF ' -- A Team <team@example.org>  Wed, 01 Jan 2025 00:00:00 +0000' "$WORK/changelog" &&
    [ "$(head -n 1 "$WORK/changelog")" = "tarvelo (1.10) unstable; urgency=medium" ] &&
    [ "$(grep -c '^    ' "$WORK/changelog")" = 2 ] && ! grep -q '.\{80\}' "$WORK/changelog"; then
    echo "ok: a good NEWS: escaped releases, a changelog with weekdays and short lines"
else
    echo "FAIL: a good NEWS: $(cat "$WORK/err")"; cat "$WORK/metainfo" "$WORK/changelog"
    FAILURES=$((FAILURES + 1))
fi

# Each refused NEWS, then the words its refusal must contain.
refused=(
    "1.9 (2024-02-29)
- Only." "the newest release is 1.9, the project's version is 1.10"
    "1.10 (2024-02-29)
- Later.

1.9 (2024-02-29)
- Same day." "each on a later day"
    "1.10 (2024-03-01)
- Newer.

1.11 (2024-02-01)
- A higher version below." "each on a later day"
    "1.10 (2023-02-29)
- A day that 2023 did not have." "no such day"
    "1.10 (2024-03-01)

1.9 (2024-02-01)
- The older one has a change." "release 1.10 lists no change"
    "1.10 (2024-03-01)
* Not a change line." "neither a release, a change nor its continuation"
)
for ((i = 0; i < ${#refused[@]}; i += 2)); do
    if ! make_lists "${refused[i]}" && grep -qF "${refused[i + 1]}" "$WORK/err"; then
        echo "ok: refused: $(cat "$WORK/err")"
    else
        echo "FAIL: not refused with '${refused[i + 1]}': $(cat "$WORK/err")"
        FAILURES=$((FAILURES + 1))
    fi
done
[ $FAILURES = 0 ]
