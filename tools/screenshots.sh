#!/usr/bin/env bash
# Builds the program and takes the README's screenshots under a virtual X server, one PNG per
# window and one of the journal's printed report, into docs/screenshots/. Rerun it after a
# change to any window or to the report.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
bash "$here/install-deps.sh"
bash "$here/build.sh" build

raw="$(mktemp -d)"
trap 'rm -rf "$raw"' EXIT
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$root/build/screenshots" "$raw"

# The journal's report: its first page, at about the size of a window on the screen.
pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$raw/journal-report.pdf" "$raw/journal-report"
rm "$raw/journal-report.pdf"

out="$root/docs/screenshots"
mkdir -p "$out"
for picture in "$raw"/*.png; do
    # A thin grey frame sets the white windows off from a white page. Lossless otherwise: only
    # the metadata goes, and the strongest compression keeps the files small.
    convert "$picture" -bordercolor '#808080' -border 1 -strip -define png:compression-level=9 \
        "$out/$(basename "$picture")"
done
ls -l "$out"
