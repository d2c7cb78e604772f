#!/usr/bin/env bash
# Builds the program in release mode into build-bench/ and runs every benchmark step below.
# A step is a shell function named bench_NAME; add one and list it in `steps`. A step fails
# (and so the run) when its goal is missed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh bench
build=build-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" >/dev/null
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Start-up to the name prompt on screen, and peak memory, against a bare Qt program.
# The program itself is measured, as installed: the probe plugin ends it at the prompt, and is
# loaded into the bare program too, so that both pay for it alike.
bench_startup() {
    QT_PLUGIN_PATH="$PWD/$build/bench/plugins" QT_QPA_GENERIC_PLUGINS=promptprobe \
        python3 bench/startup.py "$build/mouse-tutor" "$build/bench/bench_startup_bare"
}

# Reading a results file of ten million lines (about 300 MB in the temporary folder) whole,
# against `wc -l` on the same file, and its newest records as "Результаты" reads them, from near
# its end; the best of 15 runs, as other work on the machine can slow any one.
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

# Appending a line and waiting until it is on the disk, in the build folder: /tmp may be memory.
bench_append() {
    rm -f "$build/res.txt"
    "$build/bench/bench_results" append "$build/res.txt" 200
    rm -f "$build/res.txt"
}


# The journal: a million records from opening to all of them in the table, with the memory
# above the idle journal; the cost of one appended line at the end of that file and of an
# empty one; a letter typed into the search field over those records and taken out again; and
# a file with the largest and the smallest total from opening to its chart drawn; a million
# long damaged lines, listed with their starts, within the memory of a million records; Ctrl+C
# on a million records selected (refused at once) and on as many as one copy takes; and the
# million records with their dates file against without it.
bench_journal() {
    local status=0
    "$build/bench/bench_results" generate "$work/journal.txt" 1000000
    "$build/bench/bench_journal" load "$work/journal.txt" 1000000 || status=1
    "$build/bench/bench_journal" live "$work/journal.txt" || status=1
    "$build/bench/bench_journal" search "$work/journal.txt" || status=1
    "$build/bench/bench_journal" total || status=1
    "$build/bench/bench_journal" damaged 1000000 || status=1
    "$build/bench/bench_journal" copy "$work/journal.txt" || status=1
    "$build/bench/bench_results" date "$work/journal.txt"
    "$build/bench/bench_journal" dated "$work/journal.txt" 1000000 || status=1
    rm -f "$work/journal.txt.dates"
    return $status
}

# The journal's CSV export of a million records against what a teacher would do instead:
# LibreOffice Calc converting the same Windows-1251 file to a UTF-8 CSV (Calc stops at
# 1,048,576 rows; the export has no such limit).
bench_export() {
    local lines=1000000
    "$build/bench/bench_results" generate "$work/export.txt" $lines
    local start end ours calc
    start=$(date +%s%N)
    "$build/mouse-tutor" --journal --export "$work/journal.csv" "$work/export.txt"
    end=$(date +%s%N)
    ours=$(((end - start) / 1000000))
    start=$(date +%s%N)
    soffice --headless --norestore --infilter='Text - txt - csv (StarCalc):44,34,34,1' \
        --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' --outdir "$work/calc" \
        "$work/export.txt" >/dev/null 2>&1
    end=$(date +%s%N)
    calc=$(((end - start) / 1000000))
    local rows
    rows=$(($(wc -l <"$work/journal.csv") - 1))
    echo "--export, $rows records   $ours ms"
    echo "LibreOffice Calc          $calc ms ($(wc -l <"$work/calc/export.csv") rows)"
    [ "$rows" -eq $lines ] && [ "$ours" -lt "$calc" ]
}

# Misspelling hints for a thousand names, and a million records as a workbook against the same
# cells written straight through libxlsxwriter (the CSV's time is printed for information).
bench_workbook() {
    local status=0
    "$build/bench/bench_workbook" hints || status=1
    "$build/bench/bench_workbook" write 1000000 || status=1
    return $status
}

# Twenty programs appending to one results file for twenty seconds: no record lost or doubled,
# each program's in its order, and each record dated once.
bench_writers() {
    "$build/bench/bench_results" writers "$work/shared.txt" 20 20
}

steps=(startup results append journal export workbook writers)

failed=0
for step in "${steps[@]}"; do
    echo "== $step"
    "bench_$step" || failed=1
done
exit $failed
