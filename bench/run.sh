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

# Reading a results file of ten million lines (about 300 MB in the temporary folder), against
# `wc -l` on the same file; the best of 15 runs, as other work on the machine can slow any one.
bench_results() {
    local lines=10000000
    local free
    free=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
    if ((free < 400 * 1024)); then
        echo "the temporary folder $work has less than 400 MB free for the results file"
        return 1
    fi
    "$build/bench/bench_results" generate "$work/res.txt" "$lines" || return 1
    ls -l "$work/res.txt" | awk -v lines="$lines" '{ printf "res.txt             %8.1f MB, %d lines\n", $5 / 1e6, lines }'
    local status=0
    "$build/bench/bench_results" load "$work/res.txt" 15 || status=1
    rm -f "$work/res.txt"
    return $status
}

steps=(startup results)

failed=0
for step in "${steps[@]}"; do
    echo "== $step"
    "bench_$step" || failed=1
done
exit $failed
