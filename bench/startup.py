#!/usr/bin/env python3
"""Start-up to the name prompt on screen, and peak memory, against a bare Qt program.

Runs each program many times, alternating, and compares medians."""
import os
import statistics
import subprocess
import sys
import time

RUNS = int(os.environ.get("RUNS", "30"))
# The most the program may take against the bare program: time to the prompt, and peak memory.
TIME_GOAL = 1.15
MEMORY_GOAL = 1.05


def measure(exe):
    start = time.monotonic_ns()
    out = subprocess.run([exe], capture_output=True, text=True, check=True).stdout.split()
    exposed = int(out[out.index("exposed") + 1])
    return (exposed - start) / 1e6, int(out[out.index("maxrss_kb") + 1])


def main():
    program, bare = sys.argv[1], sys.argv[2]
    measure(program), measure(bare)  # warm the file cache
    times = {program: [], bare: []}
    memory = {program: [], bare: []}
    for _ in range(RUNS):
        for exe in (program, bare):
            ms, kb = measure(exe)
            times[exe].append(ms)
            memory[exe].append(kb)
    pt, bt = statistics.median(times[program]), statistics.median(times[bare])
    pm, bm = statistics.median(memory[program]), statistics.median(memory[bare])
    print(f"start-up to the name prompt: program {pt:.1f} ms, bare Qt {bt:.1f} ms, "
          f"ratio {pt / bt:.2f} (goal {TIME_GOAL:.2f} or less)")
    print(f"peak memory at the prompt:   program {pm / 1024:.1f} MB, bare Qt {bm / 1024:.1f} MB, "
          f"ratio {pm / bm:.2f} (goal {MEMORY_GOAL:.2f} or less)")
    return 0 if pt / bt <= TIME_GOAL and pm / bm <= MEMORY_GOAL else 1


if __name__ == "__main__":
    sys.exit(main())
