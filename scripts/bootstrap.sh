#!/bin/sh
# Installs the Debian packages the build and the tests need, and nothing when they are all present.
# Usage: scripts/bootstrap.sh [extra-package-set...]   (sets: fuzz, package, bench, windows)
set -eu

# desktop-file-utils, appstream, groff-base: the install test validates the desktop entry, the metainfo
# and the manual pages.
packages="build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libssl-dev libudev-dev libgtest-dev"
packages="$packages desktop-file-utils appstream groff-base"
# qt6-translations-l10n: Qt's own dialogs and buttons in Hungarian, like the rest of the tool.
packages="$packages qt6-translations-l10n"
# poppler-utils: the printing test reads the text of the printed sheet back out of the PDF.
packages="$packages poppler-utils"
for set in "$@"; do
    case "$set" in
        fuzz) packages="$packages clang libclang-rt-dev llvm" ;;
        # dpkg-dev and file: CPack computes the dependencies with dpkg-shlibdeps. librsvg2-bin renders the
        # icon sizes from the SVG (without it the shipped PNGs are used). lintian checks the built package.
        package) packages="$packages dpkg-dev file librsvg2-bin lintian" ;;
        # An X server without a screen, a session bus and the accessibility bus: the window benchmark runs
        # the tool on X11 with the screen readers' bridge on and off.
        bench) packages="$packages xvfb xauth dbus-daemon at-spi2-core" ;;
        # The Windows build: MinGW-w64 (posix threads, which Qt needs), Ninja and dpkg-dev to fetch and build
        # Qt from Debian's source, Python for the icon, NSIS for the installer; Wine, an X server with a
        # window manager and ImageMagick's screenshot to test it.
        windows) packages="$packages g++-mingw-w64-x86-64-posix ninja-build dpkg-dev xz-utils python3 nsis
                           wine wine64 xvfb xauth openbox imagemagick" ;;
        *) echo "bootstrap: unknown package set '$set'" >&2; exit 2 ;;
    esac
done

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0

echo "bootstrap: installing$missing"
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null 2>&1 || { echo "bootstrap: run as root or install:$missing" >&2; exit 1; }
    SUDO=sudo
else
    SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
# shellcheck disable=SC2086
$SUDO apt-get install -y --no-install-recommends $missing
