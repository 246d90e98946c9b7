#!/usr/bin/env bash
# Cross-builds Velmo.exe and its tests for 64-bit Windows with mingw-w64 into
# build-windows/, checks that Velmo.exe needs no DLL beyond Windows' own, and
# runs the whole test suite under wine in a throw-away wine prefix.
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

# One server for the whole run: without it every test program start sets up
# and tears down a server of its own, and wine's helpers keep ctest's output
# pipe open until that server has timed out.
mkdir -p "$WINEPREFIX"
wineserver -p
"$wine" wineboot --init > /dev/null 2>&1

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
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

ctest --test-dir "$build" --output-on-failure -j"$jobs"
