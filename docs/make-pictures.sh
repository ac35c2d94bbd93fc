#!/bin/sh
# Makes the pictures of the README again: docs/pictures/*.replay run through
# the replay tool, each writing docs/pictures/NAME.png.
#   docs/make-pictures.sh [BUILD_DIR]      (default: build)
# The scripts run in a scratch folder that holds copies of the examples: a
# script's Save must never write over the files of the checkout.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
replay="$build/tambra-replay"
[ -x "$replay" ] || { echo "make-pictures: no $replay; build first" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "$root"/examples/*.cnt "$scratch"/
for script in "$root"/docs/pictures/*.replay; do
  name=$(basename "$script" .replay)
  # What the tool says (status lines, messages) shows only when it fails;
  # a message box (a file that did not open, say) fails the picture too.
  if ! (cd "$scratch" && "$replay" "$script" >"$scratch/out" 2>&1) ||
     grep -q '^tambra:' "$scratch/out"; then
    cat "$scratch/out" >&2
    echo "make-pictures: $script failed" >&2
    exit 1
  fi
  cp "$scratch/$name.png" "$root/docs/pictures/$name.png"
  echo "docs/pictures/$name.png"
done
