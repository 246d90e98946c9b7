#!/usr/bin/env bash
# Fails when the libraries of a configured build folder depend on each other
# in a cycle, naming the libraries of the loop; otherwise prints each
# library's links to the others.
#
#   usage: scripts/check-library-graph.sh BUILD-FOLDER
set -euo pipefail
build="${1:?usage: scripts/check-library-graph.sh BUILD-FOLDER}"
graph="$(mktemp -d)"
trap 'rm -rf "$graph"' EXIT

cmake --graphviz="$graph/velmo.dot" "$build" > /dev/null
# Every edge carries its two target names in a comment: "// velmo_rom -> velmo_level".
edges="$(sed -nE 's|.*// *([^ ]+) -> ([^ ]+) *$|\1 \2|p' "$graph/velmo.dot" | awk '$1 != $2' | sort -u)"
if ! tsort <<<"$edges" > /dev/null 2> "$graph/loops"; then
  echo "check-library-graph: the libraries of $build depend on each other in a cycle:" >&2
  grep -v 'input contains a loop' "$graph/loops" | sed 's/^tsort: /  /' | sort -u >&2
  exit 1
fi
echo "check-library-graph: no cycle among the libraries of $build"
grep -E '^velmo_[a-z_]+ velmo_[a-z_]+$' <<<"$edges" | awk '
  $1 != name { if (name) print line; name = $1; line = "  " $1 " ->" }
  { line = line " " $2 }
  END { if (name) print line }'
