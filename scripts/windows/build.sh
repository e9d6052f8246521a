#!/bin/sh
# The Windows build: configures a tree for 64-bit Windows against the Qt of scripts/windows/qt.sh, builds
# the tool and the command-line tool (and, with --tests, the test programs), and lays out what ships.
#
# Usage: scripts/windows/build.sh BUILD-DIR [--tests]
# Leaves BUILD-DIR/stage (the installed folder). package.sh makes the installer and the zip from it.
set -eu
[ $# -ge 1 ] || { echo "usage: build.sh BUILD-DIR [--tests]" >&2; exit 2; }
build=$1
tests=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
qt=$("$here/qt.sh")

# CTest runs the Windows test programs under Wine, through the wrapper that finds Qt's libraries.
"$qt/bin/qt-cmake" -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVANTREL_WERROR="${WERROR:-ON}" -DVANTREL_BENCH=OFF \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$here/wine.sh" >/dev/null
if [ "$tests" = --tests ]; then
    cmake --build "$build" -j"${JOBS:-$(nproc)}"
else
    cmake --build "$build" -j"${JOBS:-$(nproc)}" --target vantrel5 vantrel5-cli
fi
rm -rf "$build/stage"
cmake --install "$build" --prefix "$build/stage" >/dev/null
# The programs ship without their symbols: a tenth of the size, and nothing a user needs.
x86_64-w64-mingw32-strip "$build/stage/vantrel5.exe" "$build/stage/vantrel5-cli.exe"
