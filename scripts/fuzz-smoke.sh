#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each one
# for a bounded time, starting from seed corpora made from the synthetic
# images. Fails on any crash, sanitizer report, broken property, timeout or
# memory overrun. FUZZ_SECONDS sets the time per target (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/ensure-packages.sh clang libclang-rt-14-dev

seconds="${FUZZ_SECONDS:-20}"
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELMO_FUZZ=ON -DVELMO_BUILD_TESTS=OFF > /dev/null
cmake --build "$build" -j"$(nproc)" --target velmo_fuzzers

corpora="$build/corpora"
rm -rf "$corpora"
"$build/fuzz/velmo-fuzz-seeds" "$corpora/seeds"

# Target and the longest input it is given: the level targets take a whole
# inflated setup file, the table and pipeline targets a list of patches.
targets=(
  "object_list_fuzzer 16384"
  "intro_block_fuzzer 16384"
  "randomisers_fuzzer 16384"
  "codec_fuzzer 16384"
  "table_checks_fuzzer 4096"
  "pipeline_fuzzer 4096"
  "bps_patch_fuzzer 4096"
)
for entry in "${targets[@]}"; do
  read -r target max_len <<< "$entry"
  work="$corpora/work/$target"
  log="$corpora/$target.log"
  mkdir -p "$work"
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
      -max_len="$max_len" -timeout=30 -print_final_stats=1 -artifact_prefix="$corpora/$target-" \
      "$work" "$corpora/seeds/$target" > "$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz smoke run failed: $target (log: $log)" >&2
    exit 1
  fi
  echo "$target: $(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$') executions in ${seconds} s"
done
