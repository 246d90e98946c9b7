#!/usr/bin/env bash
# Makes the release packages with cpack, from the Windows cross build
# (build-windows/) and the Linux build (build/) that the tests already made,
# checks what they hold, and uses each as a player would: unpacked into a
# fresh folder whose path has a space, an image copied beside it, and Velmo
# started by its full path with the image's full path from another folder,
# the way Explorer's drag and drop starts Velmo.exe. The first run uses the
# starting Velmo.ini as it comes; the second switches the Project64 database
# update on. Velmo.exe runs under wine, in the wine session of the script
# that started this one when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

jobs="$(nproc)"
begin_wine_script

fail() {
  echo "test-package: $*" >&2
  exit 1
}

# Same configurations as test.sh, test-web.sh and test-windows.sh, so that
# their builds are reused; both packages take the web build's Velmo.html.
bash scripts/build-web.sh build-web > /dev/null
page="$PWD/build-web/Velmo.html"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMO_BUILD_TESTS=ON \
  -DVELMO_WEB_PAGE="$page" > /dev/null
cmake --build build -j"$jobs" --target Velmo velmo-make-image > /dev/null
cmake -S . -B build-windows --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMO_BUILD_TESTS=ON -DVELMO_WEB_PAGE="$page" > /dev/null
cmake --build build-windows -j"$jobs" --target Velmo > /dev/null

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)"
release="${version##*.}"
folder="Velmo-$version"
for build in build build-windows; do
  rm -rf "$build/packages"
  (cd "$build" && cpack)
done
zip="$PWD/build-windows/packages/$folder-win64.zip"
tarball="$PWD/build/packages/$folder-linux-x86_64.tar.gz"

# Exactly one folder with the program, the page and the four texts, nothing else.
check_file_list() {
  local archive="$1" program="$2" listing
  listing="$(cmake -E tar tf "$archive" | sort)"
  echo "$(basename "$archive"):"
  echo "$listing" | sed 's/^/  /'
  diff -u <(printf '%s\n' "$folder/" "$folder/CHANGES.txt" "$folder/LICENSE.txt" \
    "$folder/README.txt" "$folder/$program" "$folder/Velmo.ini" "$folder/Velmo.html" | sort) \
    <(echo "$listing") || fail "$(basename "$archive") does not hold exactly the expected files"
}
check_file_list "$zip" Velmo.exe
check_file_list "$tarball" Velmo
[ -f "build-web/packages/$folder.html" ] && cmp -s "$page" "build-web/packages/$folder.html" ||
  fail "build-web/packages/$folder.html is not the page as built"

image="$scratch/GoldenEye.z64"
build/tools/velmo-make-image "$image" > /dev/null

# The starting configuration, as a player finds it.
starting_ini() {
  local rdb="$1"
  printf '%s\n' TraceLogging=0 UpdatePJ64=0 "PJ64RDBFile=$rdb" PJ64GameEntry=1 RandomisedROMs=0 \
    SpoilerLog=1 ConvertByteOrder=1 WritePatch=0 Seed= RandomiseStartingWeapons=1 RandomiseGuardTypes=1 \
    RandomiseGuardWeapons=1 AddNemesis=1 RandomiseKeys=1 RandomiseCubaBody=1
}

# Text files of the zip have CR LF line ends, those of the tarball LF.
check_line_ends() {
  local files="$1" newline="$2" text
  for text in README.txt LICENSE.txt CHANGES.txt Velmo.ini; do
    if [ "$newline" = crlf ]; then
      ! grep -qv $'\r$' "$files/$text" || fail "$text has lines without CR LF"
    else
      ! grep -q $'\r' "$files/$text" || fail "$text has CR characters"
    fi
  done
}

# Velmo's log of one run, with Windows' CR taken out.
log_text() {
  tr -d '\r' < "$1"
}

check_run() {
  local log="$1" what="$2"
  [ "$(log_text "$log" | sed -n 2p)" = "     Release $release" ] ||
    fail "$what: the banner does not show Release $release"
  [ "$(log_text "$log" | tail -n 1)" = "SUCCESS ROM has been successfully randomised :)" ] ||
    fail "$what: the run did not succeed"
  ! log_text "$log" | grep -q '^ERROR ' || fail "$what: the log has ERROR lines"
}

# The place holds the image, its randomised copy, the unpacked folder and,
# when the log says it wrote one, the spoiler log; the package folder holds
# its files and nothing else; the folder Velmo was started from stays empty.
check_folders() {
  local place="$1" elsewhere="$2" program="$3" log="$4" database="${5:-}"
  local expected=("$folder" GoldenEye.z64 GoldenEye_rand.z64)
  [ -n "$database" ] && expected+=("$database")
  log_text "$log" | grep -q '^SUCCESS ROM::WriteSpoilerLog(): ' &&
    expected+=(GoldenEye_rand_spoiler.txt)
  diff <(printf '%s\n' "${expected[@]}" | sort) <(ls -A "$place" | sort) ||
    fail "unexpected files beside the image"
  diff <(printf '%s\n' CHANGES.txt LICENSE.txt README.txt "$program" Velmo.ini Velmo.html | sort) \
    <(ls -A "$place/$folder" | sort) || fail "unexpected files in $folder"
  [ -z "$(ls -A "$elsewhere")" ] || fail "Velmo wrote into the current folder"
}

# A file that ends like the starting one but with the given changes of keys.
expected_ini() {
  local packaged="$1"
  shift
  sed "$@" "$packaged"
}

# The log lines of the run that adds the entry for every randomised GoldenEye,
# as the starting Velmo.ini asks, and of the runs after it; the database after
# them.
game_entry_added='SUCCESS ROM::UpdateRDB(): Added the Project 64 entry for every randomised GoldenEye [GOLDENEYE-C:45]'
game_entry_there='INFO ROM::UpdateRDB(): The Project 64 entry for every randomised GoldenEye is already there'
with_game_entry() {
  printf '[Existing-Entry]\nGood Name=Other\n\n[GOLDENEYE-C:45]\n%s\n' \
    'Alt Identifier=DCBC50D1-09FD1AA3-C:45'
}

# Unpacks the archive into a fresh folder with a space in its path and runs
# the unpacked Velmo twice, each time with
#   start_velmo CURRENT_FOLDER VELMO_PATH IMAGE_PATH LOG
# and with shown_path giving a path as Velmo sees it.
try_package() {
  local archive="$1" program="$2" newline="$3" rdb_default="$4" platform="$5"
  local place="$scratch/$platform/Velmo games" elsewhere="$scratch/$platform/elsewhere"
  local velmo_dir="$place/$folder" log="$scratch/$platform/log.txt"
  mkdir -p "$place" "$elsewhere"
  # As players unpack them: tar for the tarball, an unzipper for the zip.
  case "$archive" in
    *.tar.gz) tar -xzf "$archive" -C "$place" ;;
    *) (cd "$place" && cmake -E tar xf "$archive") ;;
  esac
  cp "$image" "$place/GoldenEye.z64"
  local packaged="$scratch/$platform/packaged.ini"
  cp "$velmo_dir/Velmo.ini" "$packaged"
  diff <(starting_ini "$rdb_default") <(tr -d '\r' < "$packaged") ||
    fail "$platform: the starting Velmo.ini is not as expected"
  check_line_ends "$velmo_dir" "$newline"
  cmp -s "$page" "$velmo_dir/Velmo.html" || fail "$platform: Velmo.html is not the page as built"

  start_velmo "$elsewhere" "$velmo_dir/$program" "$place/GoldenEye.z64" "$log"
  check_run "$log" "$platform, starting Velmo.ini"
  log_text "$log" | grep -qxF "Will load [$(shown_path "$place/GoldenEye.z64")]" ||
    fail "$platform: Velmo was not given the image's full path"
  log_text "$log" | grep -qx 'WARN ROM::UpdateRDB(): Option set not to update PJ64 RDB file' ||
    fail "$platform: the database update was not left off"
  cmp -s "$image" "$place/GoldenEye.z64" || fail "$platform: the image was changed"
  ! cmp -s "$image" "$place/GoldenEye_rand.z64" || fail "$platform: the copy was not randomised"
  cmp "$velmo_dir/Velmo.ini" <(expected_ini "$packaged" 's/^RandomisedROMs=0/RandomisedROMs=1/') ||
    fail "$platform: Velmo.ini was not found and rewritten with RandomisedROMs=1"
  check_folders "$place" "$elsewhere" "$program" "$log"
  echo "$platform: banner \"$(log_text "$log" | sed -n 2p | sed 's/^ *//')\", success," \
    "GoldenEye_rand.z64 beside the image, Velmo.ini rewritten with RandomisedROMs=1, no database"

  # Switched on as the player's guide says, with the database in that folder.
  local database="$place/Project64.rdb" database_setting
  database_setting="$(shown_path "$database")"
  printf '[Existing-Entry]\nGood Name=Other\n' > "$database"
  local edits=(-e 's/^UpdatePJ64=0/UpdatePJ64=1/'
    -e "s|^PJ64RDBFile=[^"$'\r'"]*|PJ64RDBFile=${database_setting//\\/\\\\}|")
  local configured="$scratch/$platform/configured.ini"
  sed "${edits[@]}" "$velmo_dir/Velmo.ini" > "$configured"
  cp "$configured" "$velmo_dir/Velmo.ini"

  start_velmo "$elsewhere" "$velmo_dir/$program" "$place/GoldenEye.z64" "$log"
  check_run "$log" "$platform, database update on"
  log_text "$log" | grep -qxF "$game_entry_added" ||
    fail "$platform: the database was not updated"
  diff <(with_game_entry) <(tr -d '\r' < "$database") ||
    fail "$platform: the database does not end with the entry for every randomised GoldenEye"
  cmp "$velmo_dir/Velmo.ini" <(sed 's/^RandomisedROMs=1/RandomisedROMs=2/' "$configured") ||
    fail "$platform: Velmo.ini was not rewritten with RandomisedROMs=2"
  check_folders "$place" "$elsewhere" "$program" "$log" Project64.rdb
  echo "$platform: UpdatePJ64=1 with PJ64RDBFile=$database_setting added [GOLDENEYE-C:45]"

  # A byte-swapped dump, as many players have, works with these settings too
  # and gives a .z64.
  local dumps="$scratch/$platform/v64 dump"
  mkdir -p "$dumps"
  dd if="$image" of="$dumps/GoldenEye.v64" conv=swab status=none
  start_velmo "$elsewhere" "$velmo_dir/$program" "$dumps/GoldenEye.v64" "$log"
  check_run "$log" "$platform, .v64 dump"
  log_text "$log" | grep -qxF "$game_entry_there" ||
    fail "$platform: the second run did not find the entry for every randomised GoldenEye"
  diff <(with_game_entry) <(tr -d '\r' < "$database") ||
    fail "$platform: the second run changed the database"
  log_text "$log" | grep -qxF "INFO ROM::ProcessROMHeader(): Converted the [byte-swapped (.v64)] \
image to big-endian order, to be saved as [$(shown_path "$dumps/GoldenEye_rand.z64")]" ||
    fail "$platform: the .v64 dump was not converted"
  diff <(printf '%s\n' GoldenEye.v64 GoldenEye_rand.z64 GoldenEye_rand_spoiler.txt) \
    <(ls -A "$dumps" | sort) || fail "$platform: unexpected files beside the .v64 dump"
  [ -z "$(ls -A "$elsewhere")" ] || fail "Velmo wrote into the current folder"
  echo "$platform: a .v64 dump gave GoldenEye_rand.z64"
}

# Explorer's drag and drop: the full Windows paths of Velmo.exe and of the
# image, the current folder somewhere else. Standard input is the null
# device, so that Velmo does not wait for a key at the end.
start_windows_velmo() {
  (cd "$1" && "$velmo_wine" "$(windows_path "$2")" "$(windows_path "$3")" < /dev/null > "$4")
}
start_linux_velmo() {
  (cd "$1" && "$2" "$3" < /dev/null > "$4")
}

start_velmo() { start_windows_velmo "$@"; }
shown_path() { windows_path "$1"; }
try_package "$zip" Velmo.exe crlf 'C:\Program Files (x86)\Project64 3.0\Config\Project64.rdb' windows
bash scripts/windows-imports.sh "$scratch/windows/Velmo games/$folder/Velmo.exe"
[ ! -e "$WINEPREFIX/drive_c/Program Files (x86)/Project64 3.0" ] ||
  fail "windows: Project64's default folder was created"
start_velmo() { start_linux_velmo "$@"; }
shown_path() { printf '%s' "$1"; }
try_package "$tarball" Velmo lf '' linux
[ -x "$scratch/linux/Velmo games/$folder/Velmo" ] || fail "linux: Velmo is not executable"
echo "Packages checked: $(basename "$zip") and $(basename "$tarball")"
