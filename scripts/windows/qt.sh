#!/bin/sh
# Builds Qt for 64-bit Windows from Debian's own Qt source, once, into a cache outside the repository, and
# prints the cache's folder. The Linux Qt of the same version serves as the host tools (moc, rcc, uic), so
# what the Windows build generates matches what the Linux build does.
#
# Usage: scripts/windows/qt.sh [--print-dir | --check]
#   (none)       build the cache when it is missing, then print its folder
#   --print-dir  print the folder the cache is (or would be) in, build nothing
#   --check      exit 0 when the cache is complete, 1 otherwise, build nothing
#
# The cache is keyed by the Qt version and the options below: a change of either builds a new one.
# VANTREL_CACHE (default ~/.cache/vantrel) chooses where caches live.
set -eu

qt_version=6.4.2
# Only what the tool, the command-line tool and their tests use. Qt 6.4.2's Windows platform plugin
# wants the dynamic OpenGL loader whenever that feature is on, even with OpenGL off, so it goes too.
# Debian's source leaves out the tablet driver's headers, so tablet events are off.
options="-DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DFEATURE_sql=OFF -DFEATURE_network=OFF
 -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
 -DFEATURE_tabletevent=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF"
here=$(cd "$(dirname "$0")" && pwd)
key=$( (echo "$qt_version"; echo "$options"; cat "$here/mingw64.cmake") | sha256sum | cut -c1-12)
cache_root=${VANTREL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vantrel}
prefix="$cache_root/qt-$qt_version-mingw64-$key"

case "${1:-}" in
    --print-dir) echo "$prefix"; exit 0 ;;
    --check) [ -f "$prefix/.complete" ]; exit $? ;;
    "") ;;
    *) echo "qt.sh: unknown option '$1'" >&2; exit 2 ;;
esac

if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

work="$cache_root/qt-$qt_version-work"
mkdir -p "$work"
cd "$work"

# Debian's source of the same Qt: a deb-src entry for the same suite, then the original tarball.
tarball=$(ls qt6-base_"$qt_version"*.orig.tar.xz 2>/dev/null | head -n 1 || true)
if [ -z "$tarball" ]; then
    if ! ls /var/lib/apt/lists/*_source_Sources* >/dev/null 2>&1; then
        [ "$(id -u)" -eq 0 ] || { echo "qt.sh: needs root once, to add Debian's source packages to apt" >&2; exit 1; }
        . /etc/os-release
        grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/ ||
            cat > /etc/apt/sources.list.d/vantrel-deb-src.sources <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $VERSION_CODENAME
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
        apt-get update >&2
    fi
    version=$(apt-cache showsrc qt6-base | sed -n "s/^Version: \($qt_version[^ ]*\)$/\1/p" | head -n 1)
    [ -n "$version" ] || { echo "qt.sh: apt offers no source of qt6-base $qt_version" >&2; exit 1; }
    apt-get source --download-only "qt6-base=$version" >&2
    tarball=$(ls qt6-base_"$qt_version"*.orig.tar.xz | head -n 1)
fi

src="$work/src"
if [ ! -d "$src" ]; then
    # Unpacked beside it and renamed when whole, so an interrupted unpacking is not taken for the source.
    rm -rf "$src.part"
    mkdir -p "$src.part"
    tar -xf "$tarball" -C "$src.part" --strip-components=1
    mv "$src.part" "$src"
fi

# The build folder is keyed like the cache, so a build that was interrupted goes on where it stopped.
build="$work/build-$key"
# shellcheck disable=SC2086
cmake -G Ninja -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/mingw64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" $options >&2
cmake --build "$build" -j"${JOBS:-$(nproc)}" >&2
cmake --install "$build" >&2
touch "$prefix/.complete"
rm -rf "$build"
echo "$prefix"
