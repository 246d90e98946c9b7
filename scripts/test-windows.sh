#!/usr/bin/env bash
# Cross-builds Velmo.exe and its tests for 64-bit Windows with mingw-w64 into
# build-windows/, checks that Velmo.exe needs no DLL beyond Windows' own, runs
# the whole test suite under wine in a throw-away wine prefix, and checks that
# the Linux build (build/) and the Windows build make the same run from the
# same seed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/ensure-packages.sh wine wine64 g++-mingw-w64-x86-64-posix libz-mingw-w64-dev

jobs="$(nproc)"
build=build-windows

# wine64 itself: the wine wrapper warns on every start when the 32-bit half is
# not installed. The same program is the build's test emulator.
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine="$(command -v wine)"

scratch="$(mktemp -d)"
export WINEPREFIX="$scratch/prefix"
export WINEDEBUG=-all
# No Mono or Gecko: console programs need neither, and their installers
# would try to download.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

stop_wine() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$scratch"
}
trap stop_wine EXIT
# Interrupted or killed, the script still stops its server and removes the
# prefix (the EXIT trap runs on exit, not on every deadly signal).
trap 'exit 1' INT TERM HUP

# One server for the whole run: without it every test program start sets up
# and tears down a server of its own, and wine's helpers keep ctest's output
# pipe open until that server has timed out.
mkdir -p "$WINEPREFIX"
wineserver -p
"$wine" wineboot --init > /dev/null 2>&1

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMO_BUILD_TESTS=ON > /dev/null
cmake --build "$build" -j"$jobs"

# wine brings its own zlib1.dll and more; a Velmo.exe that needed one of
# them would pass here and fail on a user's Windows.
imports="$(x86_64-w64-mingw32-objdump -p "$build/Velmo.exe" | sed -n 's/^[[:space:]]*DLL Name: //p')"
echo "Velmo.exe imports: $(echo $imports)"
system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|version|msvcrt|ucrtbase|ntdll|ws2_32|api-ms-win-.*)\.dll$'
if [ -z "$imports" ] || echo "$imports" | grep -qviE "$system_dlls"; then
  echo "Velmo.exe needs DLLs that Windows does not have:" >&2
  echo "$imports" | grep -viE "$system_dlls" >&2 || true
  exit 1
fi

# Standard input from the null device: the tests that run Velmo in their own
# process reach its wait for a key, which waits whenever standard input is a
# console (as it is when this script is started from a terminal).
ctest --test-dir "$build" --no-tests=error --output-on-failure -j"$jobs" < /dev/null

# The same run on both builds: one synthetic image, one seed per run. The
# randomised image must be the same bytes; the log, the emulator database
# and the rewritten configuration the same text once Windows' CR LF line
# ends are made LF.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMO_BUILD_TESTS=ON > /dev/null
cmake --build build -j"$jobs" --target Velmo velmo-seeded velmo-make-image > /dev/null
same="$scratch/same-seed"
mkdir -p "$same"
build/tools/velmo-make-image "$same/ge.z64" > /dev/null

# One side's run in a folder of its own: Velmo beside its Velmo.ini (which
# asks for every optional TRACE line and for the database update), a
# database with one older entry, and the image. velmo-seeded runs Velmo's
# command line with the given seed in place of the clock's.
run_side() {
  local side="$1" seed="$2" velmo="$3" seeded="$4"
  shift 4
  local folder="$same/$side-$seed"
  mkdir -p "$folder"
  cp "$velmo" "$seeded" "$same/ge.z64" "$folder/"
  printf 'TraceLogging=1\nUpdatePJ64=1\nPJ64RDBFile=Project64.rdb\nRandomisedROMs=6\n' \
    > "$folder/Velmo.ini"
  printf '[Existing-Entry]\nGood Name=Other\n' > "$folder/Project64.rdb"
  (cd "$folder" && "$@" "$seed" "$(basename "$velmo")" ge.z64 < /dev/null > log.txt)
}

for seed in 1 3141592653; do
  run_side linux "$seed" build/Velmo build/velmo-seeded ./velmo-seeded
  run_side windows "$seed" "$build/Velmo.exe" "$build/velmo-seeded.exe" "$wine" velmo-seeded.exe
  linux="$same/linux-$seed"
  windows="$same/windows-$seed"
  grep -q '^SUCCESS ROM has been successfully randomised :)' "$linux/log.txt" ||
    { echo "The Linux run with seed $seed did not succeed:" >&2; cat "$linux/log.txt" >&2; exit 1; }
  cmp "$linux/ge_rand.z64" "$windows/ge_rand.z64"
  cmp "$same/ge.z64" "$windows/ge.z64"
  for text in log.txt Project64.rdb Velmo.ini; do
    diff -u "$linux/$text" <(tr -d '\r' < "$windows/$text")
  done
  echo "Seed $seed: Velmo.exe under wine made the same image, log, database and configuration" \
    "as the Linux build ($(grep -c '' "$linux/log.txt") log lines)"
done
echo "Velmo.exe's banner under wine, from its version resource:" \
  "$(sed -n 2p "$windows/log.txt" | tr -d '\r' | sed 's/^ *//')"
