# shellcheck shell=bash
# Sourced by the scripts that run Windows programs under wine. It gives them
# one throw-away wine prefix with one wine server for the whole session:
# setting up a prefix costs many seconds, and without a server of its own
# every program start would set up and tear down one, while wine's helpers
# keep the callers' output pipes open until it has timed out.
#
# start_wine_session sets up the session, or joins the one a calling script
# (test.sh) already holds; stop_wine_session ends it, but only in the script
# that set it up. The caller's EXIT trap should call stop_wine_session.

# wine64 itself: the wine wrapper warns on every start when the 32-bit half
# is not installed.
velmo_wine=/usr/lib/wine/wine64
velmo_owns_wine_session=0

start_wine_session() {
  if [ -n "${VELMO_WINE_SESSION:-}" ]; then
    [ -x "$velmo_wine" ] || velmo_wine="$(command -v wine)"
    return
  fi
  bash scripts/ensure-packages.sh wine wine64 g++-mingw-w64-x86-64-posix libz-mingw-w64-dev
  [ -x "$velmo_wine" ] || velmo_wine="$(command -v wine)"
  velmo_owns_wine_session=1
  VELMO_WINE_SESSION="$(mktemp -d)"
  export VELMO_WINE_SESSION
  export WINEPREFIX="$VELMO_WINE_SESSION/prefix"
  export WINEDEBUG=-all
  # No Mono or Gecko: console programs need neither, and their installers
  # would try to download.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  unset DISPLAY
  mkdir -p "$WINEPREFIX"
  wineserver -p
  "$velmo_wine" wineboot --init > /dev/null 2>&1
}

stop_wine_session() {
  [ "$velmo_owns_wine_session" = 1 ] || return 0
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$VELMO_WINE_SESSION"
  velmo_owns_wine_session=0
  unset VELMO_WINE_SESSION
}

# For a script that may also run on its own: sets scratch to a fresh folder,
# traps exit and interrupts so that the session it set up is ended and the
# folder removed whatever happens (the EXIT trap runs on exit, not on every
# deadly signal), and starts or joins the session.
begin_wine_script() {
  scratch="$(mktemp -d)"
  trap 'stop_wine_session; rm -rf "$scratch"' EXIT
  trap 'exit 1' INT TERM HUP
  start_wine_session
}

# The Windows path under which wine's drive Z: shows a Linux path.
windows_path() {
  local path="$1"
  printf 'Z:%s' "${path//\//\\}"
}
