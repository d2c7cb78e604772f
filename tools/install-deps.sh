#!/usr/bin/env bash
# Installs what building, running and testing the program needs, on Debian or Ubuntu.
# `install-deps.sh packaging` adds what building and checking the Debian package needs,
# `install-deps.sh bench` what the benchmarks compare with, `install-deps.sh check` what CI
# checks the journal's workbook with, `install-deps.sh assets` what tools/build-assets.sh builds
# the pictures with (only to change a picture, not to build).
# Only packages that are missing are installed; it asks for sudo when not run as root.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev            # Qt 6 Widgets and Qt Test, with the offscreen, xcb, ico and gif plugins
    qt6-charts-dev          # the journal's chart
    libxlsxwriter-dev       # the journal's workbook for a spreadsheet
    libqt6opengl6-dev       # needed by Qt Charts' CMake files, though its package does not say so
    qt6-base-private-dev    # Qt's platform headers: the accessibility test switches accessibility on
    qt6-translations-l10n   # Qt's own texts (standard dialogs, context menus) in Russian
    fonts-liberation2       # Liberation Sans and Serif, with Cyrillic
    fonts-urw-base35        # Z003, a chancery italic with Cyrillic
    fonts-sil-andika        # Andika, a clear rounded face with Cyrillic
    xvfb xauth imagemagick  # screenshots under a virtual X server
    poppler-utils           # pdftoppm: the screenshot of the printed report; pdfinfo, pdftotext: its tests
    unzip                   # the tests read the journal's workbook back
    clang libclang-rt-dev   # the fuzz target and the sanitizer build
)
for group in "$@"; do
    case $group in
    packaging)
        packages+=(
            dpkg-dev file           # cpack -G DEB: the architecture and the libraries' packages
            lintian                 # checks the package
            desktop-file-utils      # desktop-file-validate
            appstream               # appstreamcli validate
        )
        ;;
    check)
        packages+=(
            libreoffice-calc-nogui  # the workbook test opens the journal's workbook in a spreadsheet
        )
        ;;
    bench)
        packages+=(
            libreoffice-calc-nogui  # what a teacher would convert res.txt with instead
        )
        ;;
    assets)
        packages+=(
            icoutils                # icotool: the icons
            librsvg2-bin            # rsvg-convert: the application icon's larger sizes
            imagemagick             # the portrait and the application icon's small sizes
        )
        ;;
    *)
        echo "unknown group: $group" >&2
        exit 2
        ;;
    esac
done

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
