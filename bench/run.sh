#!/usr/bin/env bash
# Builds the program in release mode and runs every benchmark. Not part of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

echo "== start-up =="
python3 bench/startup.py build-bench/bench/bench_startup_program build-bench/bench/bench_startup_bare
