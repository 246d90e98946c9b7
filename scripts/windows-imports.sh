#!/usr/bin/env bash
# Fails unless the Windows program given imports only DLLs that come with
# Windows. wine brings its own zlib1.dll and more, so a Velmo.exe that needed
# one of them would pass every test under wine and fail on a player's Windows.
set -euo pipefail
program="$1"

imports="$(x86_64-w64-mingw32-objdump -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p')"
echo "$(basename "$program") imports: $(echo $imports)"
system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|version|msvcrt|ucrtbase|ntdll|ws2_32|api-ms-win-.*)\.dll$'
if [ -z "$imports" ] || echo "$imports" | grep -qviE "$system_dlls"; then
  echo "$program needs DLLs that Windows does not have:" >&2
  echo "$imports" | grep -viE "$system_dlls" >&2 || true
  exit 1
fi
