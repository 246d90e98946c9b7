#!/usr/bin/env bash
# Fails when a file under src/ includes a folder above its own. The folders
# are floors; a file may include its own folder and the floors below it.
# Folders on one floor stay apart, except where a pair below says otherwise.
#
#   usage: scripts/check-floors.sh [SOURCE-FOLDER]   (src/ by default)
set -euo pipefail
cd "$(dirname "$0")/.."
source_root="${1:-src}"

# Top first; the folders that share a line share a floor.
floors=(
  "app"
  "rom"
  "randomise"
  "assets level emulator patch"
  "cartridge"
  "support"
  "platform"
)
# The file table names each level's setup file from the level catalogue.
side_by_side_uses=("assets>level")

declare -A height
for index in "${!floors[@]}"; do
  for folder in ${floors[$index]}; do height[$folder]=$((${#floors[@]} - index)); done
done

may_include() {  # folder, included folder
  [ "$1" = "$2" ] && return 0
  [ "${height[$2]}" -lt "${height[$1]}" ] && return 0
  local pair
  for pair in "${side_by_side_uses[@]}"; do [ "$pair" = "$1>$2" ] && return 0; done
  return 1
}

faults=0
for path in "$source_root"/*/; do
  folder="$(basename "$path")"
  if [ -z "${height[$folder]:-}" ]; then
    echo "$source_root/$folder/ is on no floor: give it one in scripts/check-floors.sh"
    faults=$((faults + 1))
  fi
done

while IFS=: read -r file line text; do
  folder="${file#"$source_root"/}"
  folder="${folder%%/*}"
  [ -n "${height[$folder]:-}" ] || continue
  included="$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/' <<<"$text")"
  [[ "$included" == */* ]] || continue  # a file beside this one
  target="${included%%/*}"
  if [ -z "${height[$target]:-}" ]; then
    echo "$file:$line: $text: $target/ is no folder of $source_root/"
    faults=$((faults + 1))
  elif ! may_include "$folder" "$target"; then
    echo "$file:$line: $text: $folder/ may not include $target/, which is not below it"
    faults=$((faults + 1))
  fi
done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' \
           "$source_root" || true)

if [ "$faults" -ne 0 ]; then
  echo "check-floors: $faults fault(s) in the floors of $source_root/" >&2
  exit 1
fi
echo "check-floors: every include in $source_root/ stays on its floor or goes down"
