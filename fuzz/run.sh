#!/usr/bin/env bash
# Builds the libFuzzer harnesses and the program with clang (address and undefined-behaviour
# sanitizers) in their own build folder and runs the harnesses for about a minute in all, then
# the mutation campaign of whole folders (fuzz/mutate_folders.py, about three minutes). Fails on
# any crash, leak, hang or sanitizer report. KESTRAPOL_FUZZ_SECONDS scales the harnesses' time
# (default 60), KESTRAPOL_CAMPAIGN_FOLDERS the campaign (default 800 folders),
# KESTRAPOL_FUZZ_BUILD the folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRAPOL_FUZZ_BUILD:-$root/build-fuzz}
total=${KESTRAPOL_FUZZ_SECONDS:-60}
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="$flags" \
  -DKESTRAPOL_GUI=OFF -DKESTRAPOL_TESTS=OFF -DKESTRAPOL_FUZZ=ON >/dev/null
ninja -C "$build" -j2 reader_memory_fuzz reader_file_fuzz deflate_fuzz definition_fuzz dicomdir_check_fuzz kestrapol

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# name, seed folder, share of the time in percent
run() {
  local name=$1 seeds=$2 share=$3
  local seconds=$(( total * share / 100 ))
  local work="$build/corpus-$name"
  mkdir -p "$work"
  echo "== $name: ${seconds}s"
  "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$build/$name-" "$work" "$root/fuzz/corpus/$seeds" 2>"$build/$name.log" || {
    tail -n 60 "$build/$name.log"
    echo "FAILED: $name (log: $build/$name.log)"
    exit 1
  }
  grep -E "stat::number_of_executed_units|Done [0-9]+ runs" "$build/$name.log" | tail -n 2
}
run reader_memory_fuzz reader 30
run reader_file_fuzz reader 20
run deflate_fuzz deflate 15
run definition_fuzz definition 15
run dicomdir_check_fuzz dicomdir 20
echo "fuzz: all harnesses ran clean"

echo "== mutation campaign"
/usr/bin/python3 "$root/fuzz/mutate_folders.py" "$build/kestrapol" "$build/campaign" \
  --folders "${KESTRAPOL_CAMPAIGN_FOLDERS:-800}" --fileset-fatal
