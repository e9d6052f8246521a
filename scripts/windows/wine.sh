#!/bin/sh
# Runs a Windows program of the Windows build under Wine, with the Qt and MinGW runtime libraries found
# where they were built and installed (the build tree's programs have none beside them). CTest runs the
# Windows test programs through it.
#
# Usage: scripts/windows/wine.sh program.exe [arguments...]
#   WINEPREFIX  the Wine prefix to run in (default: the cache's wine-test), made when missing
set -eu
here=$(cd "$(dirname "$0")" && pwd)
loader=/usr/lib/wine/wine64
[ -x "$loader" ] || { echo "wine.sh: $loader is missing (scripts/bootstrap.sh windows installs Wine)" >&2; exit 1; }

cache_root=${VANTREL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vantrel}
export WINEPREFIX="${WINEPREFIX:-$cache_root/wine-test}"
# Wine's own diagnostics would drown the programs' output; WINEDEBUG from the caller still wins.
export WINEDEBUG="${WINEDEBUG:--all}"
# No desktop integration: a test prefix must not add menu entries or file types to the Linux desktop.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-winemenubuilder.exe=d}"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$loader" wineboot -i >/dev/null 2>&1
fi

qt=$("$here/qt.sh" --print-dir)
gcc_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
export WINEPATH="$qt/bin;$gcc_runtime;/usr/x86_64-w64-mingw32/lib${WINEPATH:+;$WINEPATH}"
exec "$loader" "$@"
