#!/usr/bin/env bash
# Builds Velmo and runs it on the image given, or on a generated demo image.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/ensure-packages.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DVELMO_BUILD_TESTS=OFF > /dev/null
cmake --build build-release -j"$(nproc)" --target Velmo velmo-make-image > /dev/null

image="${1:-}"
if [ -z "$image" ]; then
  image="build-release/demo/goldeneye-demo.z64"
  if [ ! -f "$image" ]; then
    mkdir -p build-release/demo
    ./build-release/tools/velmo-make-image "$image"
  fi
  echo "No image given: running on the synthetic demo image $image"
fi
# The first run gets the starting Velmo.ini the release packages ship.
if [ ! -f build-release/Velmo.ini ]; then
  cp build-release/package/Velmo.ini build-release/Velmo.ini
fi
started="$(mktemp)"
trap 'rm -f "$started"' EXIT
./build-release/Velmo "$image" </dev/null
case "$image" in
  *.*) output="${image%.*}_rand.${image##*.}" ;;
  *) output="${image}_rand" ;;
esac
# An image put into big-endian order is saved as a .z64; only a successful
# run writes its copy.
for made in "$output" "${output%.*}.z64"; do
  if [ "$made" -nt "$started" ]; then output="$made"; fi
done
if [ "$output" -nt "$started" ]; then echo "Randomised copy: $output"; fi
# Velmo names its spoiler log after the copy, cut at its last ".".
spoiler="${output%.*}_spoiler.txt"
if [ "$spoiler" -nt "$started" ]; then echo "Spoiler log: $spoiler"; fi
