#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. res.txt is kept in the folder
# the command is started from.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bash "$here/install-deps.sh"
bash "$here/build.sh" build
exec "$here/../build/mouse-tutor" "$@"
