#!/usr/bin/env bash
# Cross-builds Velmo.exe and its tests for 64-bit Windows with mingw-w64 into
# build-windows/, checks that Velmo.exe needs no DLL beyond Windows' own, runs
# the whole test suite under wine in a throw-away wine prefix (or the wine
# session of the script that started this one), and checks that
# the Linux build (build/) and the Windows build make the same run from the
# same seed.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

jobs="$(nproc)"
build=build-windows
begin_wine_script
# The same program is the build's test emulator.
wine="$velmo_wine"

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMO_BUILD_TESTS=ON > /dev/null
cmake --build "$build" -j"$jobs"

bash scripts/windows-imports.sh "$build/Velmo.exe"

# Standard input from the null device: the tests that run Velmo in their own
# process reach its wait for a key, which waits whenever standard input is a
# console (as it is when this script is started from a terminal).
# A test that fails is run once more: now and then wine itself crashes while a
# test program exits ("Inconsistency detected by ld.so: dl-fini.c"), after
# the test has passed. A fault of Velmo's fails both times.
ctest --test-dir "$build" --no-tests=error --output-on-failure -j"$jobs" \
  --repeat until-pass:2 < /dev/null

# The same run on both builds: one synthetic image and one seed per run. The
# randomised image must be the same bytes; the log, the emulator database
# and the rewritten configuration the same text once Windows' CR LF line
# ends are made LF. A run that fails part-way is compared as well: its ERROR
# lines and the seed it prints, and neither side may leave an image.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMO_BUILD_TESTS=ON > /dev/null
cmake --build build -j"$jobs" --target Velmo velmo-seeded velmo-make-image > /dev/null
same="$scratch/same-seed"
mkdir -p "$same"
build/tools/velmo-make-image "$same/realistic.z64" > /dev/null
build/tools/velmo-make-image "$same/small-6105.z64" --layout small --cic 6105 --seed 5 > /dev/null
build/tools/velmo-make-image "$same/no-room.z64" --variant setup-larger-than-space > /dev/null
build/tools/velmo-make-image "$same/europe.z64" --region pal --seed 2 > /dev/null
build/tools/velmo-make-image "$same/japan.z64" --region jp --seed 3 > /dev/null

# One side's run in a folder of its own: Velmo beside its Velmo.ini (which
# asks for every optional TRACE line and for the database update, and holds
# the lines of extra_options when set), a database with one older entry, and
# the image. velmo-seeded runs Velmo's command line with the given seed in
# place of the clock's.
run_side() {
  local folder="$1" image="$2" seed="$3" velmo="$4" seeded="$5"
  shift 5
  mkdir -p "$folder"
  cp "$velmo" "$seeded" "$same/$image" "$folder/"
  printf 'TraceLogging=1\nUpdatePJ64=1\nPJ64RDBFile=Project64.rdb\nRandomisedROMs=6\n%b' \
    "${extra_options:-}" > "$folder/Velmo.ini"
  printf '[Existing-Entry]\nGood Name=Other\n' > "$folder/Project64.rdb"
  (cd "$folder" && "$@" "$seed" "$(basename "$velmo")" "$image" < /dev/null > log.txt)
}

# Runs both builds on image with seed and fails unless the Linux log ends
# with last_line and every output matches.
compare_builds() {
  local image="$1" seed="$2" last_line="$3"
  local linux="$same/linux-$seed" windows="$same/windows-$seed"
  local output="${image%.z64}_rand.z64"
  run_side "$linux" "$image" "$seed" build/Velmo build/velmo-seeded ./velmo-seeded
  run_side "$windows" "$image" "$seed" "$build/Velmo.exe" "$build/velmo-seeded.exe" \
    "$wine" velmo-seeded.exe
  if [ "$(tail -n 1 "$linux/log.txt")" != "$last_line" ]; then
    echo "The Linux run of $image with seed $seed did not end with: $last_line" >&2
    cat "$linux/log.txt" >&2
    exit 1
  fi
  if [[ "$last_line" == SUCCESS* ]]; then
    cmp "$linux/$output" "$windows/$output"
  elif [ -e "$linux/$output" ] || [ -e "$windows/$output" ] ||
    ls "$linux" "$windows" | grep -q '\.tmp$'; then
    echo "The failed run of $image with seed $seed left an image or a temporary file" >&2
    exit 1
  fi
  cmp "$same/$image" "$windows/$image"
  cmp "$same/$image" "$linux/$image"
  for text in log.txt Project64.rdb Velmo.ini; do
    diff -u "$linux/$text" <(tr -d '\r' < "$windows/$text")
  done
  # The spoiler log is written only for a complete image.
  local spoiler="${image%.z64}_rand_spoiler.txt"
  if [ -f "$linux/$spoiler" ] || [ -f "$windows/$spoiler" ]; then
    diff -u "$linux/$spoiler" <(tr -d '\r' < "$windows/$spoiler")
  fi
  # So is a race's patch, which must be the same bytes from either build.
  local patch="${image%.z64}_rand.bps"
  if [ -f "$linux/$patch" ] || [ -f "$windows/$patch" ]; then
    cmp "$linux/$patch" "$windows/$patch"
  fi
  echo "$image, seed $seed: Velmo.exe under wine gave the same image, log, database, spoiler log and" \
    "configuration as the Linux build ($(grep -c '' "$linux/log.txt") log lines)"
}

compare_builds realistic.z64 1 "SUCCESS ROM has been successfully randomised :)"
compare_builds small-6105.z64 3141592653 "SUCCESS ROM has been successfully randomised :)"
compare_builds no-room.z64 7 "ERROR Error provoking seed was 7"
# The other two cartridges, with their own Project64 entries.
extra_options='PJ64GameEntry=1\n' compare_builds europe.z64 11 \
  "SUCCESS ROM has been successfully randomised :)"
extra_options='PJ64GameEntry=1\n' compare_builds japan.z64 12 \
  "SUCCESS ROM has been successfully randomised :)"
# The database's entry for every randomised GoldenEye in place of the image's
# own section.
extra_options='PJ64GameEntry=1\n' compare_builds realistic.z64 25 \
  "SUCCESS ROM has been successfully randomised :)"
diff <(printf '[Existing-Entry]\nGood Name=Other\n\n[GOLDENEYE-C:45]\n%s\n' \
  'Alt Identifier=DCBC50D1-09FD1AA3-C:45') "$same/linux-25/Project64.rdb"

# Seed=N in the configuration makes the game the clock's seed N made: Velmo
# itself, on each build, must give the image, database and spoiler log of the
# velmo-seeded run above, and its log may differ only by the seed line.
replay_from_config() {
  local side="$1" image="$2" seed="$3" velmo="$4"
  shift 4
  local seeded="$same/$side-$seed" folder="$same/$side-config-$seed"
  local output="${image%.z64}_rand.z64" spoiler="${image%.z64}_rand_spoiler.txt"
  mkdir -p "$folder"
  cp "$velmo" "$same/$image" "$folder/"
  printf 'TraceLogging=1\nUpdatePJ64=1\nPJ64RDBFile=Project64.rdb\nRandomisedROMs=6\nSeed=%s\n' \
    "$seed" > "$folder/Velmo.ini"
  printf '[Existing-Entry]\nGood Name=Other\n' > "$folder/Project64.rdb"
  (cd "$folder" && "$@" "$image" < /dev/null > log.txt)
  cmp "$seeded/$output" "$folder/$output"
  cmp "$seeded/$spoiler" "$folder/$spoiler"
  cmp "$seeded/Project64.rdb" "$folder/Project64.rdb"
  diff -u <(tr -d '\r' < "$seeded/log.txt") \
    <(tr -d '\r' < "$folder/log.txt" | grep -vx "INFO LoadInROM(): Using seed \[$seed\] from config file")
  grep -qx "INFO LoadInROM(): Using seed \[$seed\] from config file" <(tr -d '\r' < "$folder/log.txt")
  echo "$image: Seed=$seed in $side's configuration replayed the run of clock seed $seed"
}
replay_from_config linux realistic.z64 1 build/Velmo ./Velmo
replay_from_config windows realistic.z64 1 "$build/Velmo.exe" "$wine" Velmo.exe
# A race's patch, written by the Linux build, makes the same game in the
# Windows build from the byte-swapped dump of the image.
extra_options='WritePatch=1\n' compare_builds realistic.z64 2 \
  "SUCCESS ROM has been successfully randomised :)"
patched="$same/windows-patched"
mkdir -p "$patched"
cp "$build/Velmo.exe" "$same/linux-2/realistic_rand.bps" "$patched/"
dd conv=swab if="$same/realistic.z64" of="$patched/mine.v64" status=none
printf 'RandomisedROMs=0\n' > "$patched/Velmo.ini"
(cd "$patched" && "$wine" Velmo.exe mine.v64 realistic_rand.bps < /dev/null > log.txt)
cmp "$same/linux-2/realistic_rand.z64" "$patched/mine_rand.z64"
grep -q "SUCCESS ROM has been successfully made from the patch :)" <(tr -d '\r' < "$patched/log.txt")
echo "realistic_rand.bps ($(stat -c %s "$patched/realistic_rand.bps") bytes) from the Linux build" \
  "made the same image in Velmo.exe under wine from the .v64 dump"

echo "Velmo.exe's banner under wine, from its version resource:" \
  "$(sed -n 2p "$same/windows-1/log.txt" | tr -d '\r' | sed 's/^ *//')"
