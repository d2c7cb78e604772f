#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test suite headless.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bash "$here/install-deps.sh"
bash "$here/build.sh" build
cd "$here/../build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure
