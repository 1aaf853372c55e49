#!/usr/bin/env bash
# Measures sumquill on this machine and writes the figures into docs/benchmarks.md:
#   (a) a whole piped run of the typical dialogue in a fresh folder, against starting /bin/true;
#   (b) processor time used while a menu waits 2 s at a terminal (pseudo-terminal);
#   (c) peak resident memory of a whole run;
#   (d) a line of 100,000 characters pasted into a prompt;
#   (e) a whole run in a folder of 10,000 check_*.txt files, which it deletes;
#   (f) the write system calls of a typical piped run (with strace, where it is installed).
# A benchmark, not a test: nothing here passes or fails on a figure.
# Usage: bench/run_bench.sh [runs]     (default 200 runs for (a) and (c))
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build="$repo/build-bench"
mkdir -p "$build"

if ! { cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF &&
  cmake --build "$build" -j 2 --target sumquill; } >"$build/build.log" 2>&1; then
  cat "$build/build.log" >&2
  exit 1
fi
cc -O2 -o "$build/spawn_timer" "$repo/bench/spawn_timer.c"
/usr/bin/python3 "$repo/bench/bench.py" "$build/spawn_timer" "$build/sumquill" \
  "$repo/docs/benchmarks.md" "${1:-200}"
