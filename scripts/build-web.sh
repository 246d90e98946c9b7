#!/usr/bin/env bash
# Builds the browser version, Velmo.html, into build-web/ (or the folder
# given) with Debian's emscripten. zlib is compiled with emcc from Debian's own
# zlib source package, fetched once with a deb-src list of this machine's
# Debian archives kept in a private apt folder inside the build folder, so
# the machine's own apt configuration is left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/ensure-packages.sh emscripten dpkg-dev

build="${1:-build-web}"
jobs="$(nproc)"
# Debian's emscripten runs its JavaScript optimiser with the node on PATH,
# which finds Debian's node modules (acorn) only through NODE_PATH when it is
# not Debian's own node.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

zlib="$PWD/$build/zlib"
apt_dir="$PWD/$build/apt"

# deb-src lines for the Debian archives this machine installs from.
write_source_list() {
  apt-cache policy | awk '
    /^ *[0-9]+ https?:\/\// { uri = $2; split($3, part, "/"); suite = part[1]; component = part[2]; next }
    /release .*o=Debian,/ && uri != "" {
      print "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] " uri " " suite " " component
      uri = ""
    }' | sort -u
}

fetch_zlib_source() {
  rm -rf "$apt_dir" "$zlib/source"
  mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" \
    "$zlib/source"
  write_source_list > "$apt_dir/sources.list.d/debian-sources.list"
  [ -s "$apt_dir/sources.list.d/debian-sources.list" ] ||
    { echo "build-web: no Debian archive in apt's sources" >&2; exit 1; }
  local apt=(apt-get -qq -o Dir::Etc::SourceList=/dev/null
    -o Dir::Etc::SourceParts="$apt_dir/sources.list.d" -o Dir::State::Lists="$apt_dir/lists"
    -o Dir::Cache="$apt_dir/cache" -o APT::Sandbox::User="$(id -un)")
  "${apt[@]}" update
  # The version the native build links, when the archive still has its
  # source; otherwise the one of the release itself (a mirror may lack the
  # security archive's sources).
  local version codename
  version="$(dpkg-query -W -f='${source:Version}' zlib1g-dev 2>/dev/null || true)"
  codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-stable}")"
  (cd "$zlib/source" &&
    { { [ -n "$version" ] && "${apt[@]}" source "zlib=$version" 2> /dev/null; } ||
      "${apt[@]}" source "zlib/$codename"; }) > /dev/null
}

build_zlib() {
  local source
  source="$(find "$zlib/source" -mindepth 1 -maxdepth 1 -type d -name 'zlib-*' | head -n 1)"
  [ -f "$source/deflate.c" ] || { echo "build-web: no zlib source unpacked" >&2; exit 1; }
  mkdir -p "$zlib/objects" "$zlib/include" "$zlib/lib"
  local file objects=()
  for file in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
    inflate inftrees trees uncompr zutil; do
    emcc -O3 -DHAVE_UNISTD_H -c "$source/$file.c" -o "$zlib/objects/$file.o"
    objects+=("$zlib/objects/$file.o")
  done
  emar rcs "$zlib/lib/libz.a" "${objects[@]}"
  cp "$source/zlib.h" "$source/zconf.h" "$zlib/include/"
}

if [ ! -f "$zlib/lib/libz.a" ]; then
  fetch_zlib_source
  build_zlib
fi

emcmake cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMO_BUILD_TESTS=OFF \
  -DZLIB_LIBRARY="$zlib/lib/libz.a" -DZLIB_INCLUDE_DIR="$zlib/include" > /dev/null
cmake --build "$build" -j"$jobs" --target velmo-web-page
echo "Built $build/Velmo.html"
