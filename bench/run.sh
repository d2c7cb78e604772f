#!/usr/bin/env bash
# Builds the program in release mode into build-bench/ and runs every benchmark step below.
# A step is a shell function named bench_NAME; add one and list it in `steps`. A step fails
# (and so the run) when its goal is missed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" >/dev/null
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Start-up to the name prompt on screen, and peak memory, against a bare Qt program.
bench_startup() {
    python3 bench/startup.py "$build/bench/bench_startup_program" "$build/bench/bench_startup_bare"
}

# Reading a results file of a million lines (about 32 MB).
bench_results() {
    "$build/bench/bench_results" generate "$work/res.txt" 1000000
    ls -l "$work/res.txt" | awk '{ printf "res.txt             %8.1f MB, %s\n", $5 / 1e6, "1000000 lines" }'
    "$build/bench/bench_results" load "$work/res.txt" 7
}

# Appending a line and waiting until it is on the disk, in the build folder: /tmp may be memory.
bench_append() {
    rm -f "$build/res.txt"
    "$build/bench/bench_results" append "$build/res.txt" 200
    rm -f "$build/res.txt"
}

steps=(startup results append)

failed=0
for step in "${steps[@]}"; do
    echo "== $step"
    "bench_$step" || failed=1
done
exit $failed
