#!/usr/bin/env bash
# Checks that data/ holds exactly what the texture generator paints: the ten files, byte for byte.
# Usage: generated_textures.sh MAKE_TEXTURES DATA_FOLDER
set -u
generator=$1 data=$2
fresh=$(mktemp -d)
trap 'rm -rf "$fresh"' EXIT
"$generator" "$fresh" >/dev/null || { echo "FAIL: the generator failed"; exit 1; }
fail=0
for file in "$fresh"/*.bmp; do
  name=$(basename "$file")
  if ! cmp -s "$file" "$data/$name"; then
    echo "FAIL: data/$name differs from the generator's output (run make_textures data)"; fail=1
  fi
done
count=$(ls "$fresh"/*.bmp | wc -l)
[ "$count" = 10 ] || { echo "FAIL: the generator wrote $count files, not 10"; fail=1; }
[ $fail = 0 ] && echo "data/ holds the generator's ten textures"
exit $fail
