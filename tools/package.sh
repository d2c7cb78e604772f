#!/usr/bin/env bash
# Builds the Debian package into build-deb/: the program alone, in release mode with Debian's
# hardening flags, stripped, with its desktop entry, icons, AppStream metadata and manual page.
# Prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh packaging
build=build-deb
# Debian's flags with every hardening feature (bindnow too); CMake has no place for CPPFLAGS.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# Configured for the folders it is installed in: the course runs the journal's program from
# /usr/libexec only when it is itself /usr/bin/mouse-tutor.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" "$@" >/dev/null
cmake --build "$build"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/*.deb
