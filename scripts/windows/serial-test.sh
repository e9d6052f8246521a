#!/bin/sh
# The Windows serial driver under Wine against the Linux simulator: the simulator on a pseudo-terminal as
# COM5, a terminal that never reads as COM6 (write time-out), and one whose far end goes away when it
# receives "bye" CR as COM7 (link loss); then the Windows test program with those ports in its environment.
#
# Usage: scripts/windows/serial-test.sh WIN-BUILD-DIR LINUX-BUILD-DIR [gtest options...]
#   WINEPREFIX  the Wine prefix to run in (default: the cache's wine-test, made when missing)
set -eu
[ $# -ge 2 ] || { echo "usage: serial-test.sh WIN-BUILD-DIR LINUX-BUILD-DIR [gtest options...]" >&2; exit 2; }
win=$(cd "$1" && pwd)
linux=$(cd "$2" && pwd)
shift 2
here=$(cd "$(dirname "$0")" && pwd)
cache_root=${VANTREL_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vantrel}
export WINEPREFIX="${WINEPREFIX:-$cache_root/wine-test}"
program="$win/tests/serial/win32/test_win32_serial.exe"
[ -f "$program" ] || { echo "serial-test.sh: $program is missing (build the Windows tests first)" >&2; exit 1; }
out=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    rm -f "$WINEPREFIX/dosdevices/com5" "$WINEPREFIX/dosdevices/com6" "$WINEPREFIX/dosdevices/com7"
    rm -rf "$out"
}
trap cleanup EXIT INT TERM
"$here/wine.sh" cmd /c exit 0 >/dev/null 2>&1 # makes the prefix when it is missing

# Waits for the first line of $1 (a terminal's path) and maps it to the COM name $2 of the prefix.
map_port() {
    i=0
    while [ ! -s "$1" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    pty=$(head -n 1 "$1")
    [ -e "$pty" ] || { echo "serial-test.sh: no terminal for $2" >&2; exit 1; }
    ln -sfn "$pty" "$WINEPREFIX/dosdevices/$2"
}

# A pseudo-terminal whose far end never reads (deaf), or goes away on "bye" CR (hangup). The terminal side
# stays open here, so that it keeps its settings until the program opens it.
far_end() {
    exec python3 -c '
import os, pty, sys, time, tty
master, terminal = pty.openpty()
tty.setraw(master)
tty.setraw(terminal)
print(os.ttyname(terminal), flush=True)
if sys.argv[1] == "deaf":
    time.sleep(3600)
seen = b""
while b"bye\r" not in seen:
    seen = (seen + os.read(master, 64))[-16:]
os.close(master)
os.close(terminal)
time.sleep(3600)
' "$1"
}

"$linux/vantrel-sim" >"$out/sim" 2>"$out/sim.err" </dev/null &
pids="$pids $!"
map_port "$out/sim" com5
far_end deaf >"$out/deaf" &
pids="$pids $!"
map_port "$out/deaf" com6
far_end hangup >"$out/hangup" &
pids="$pids $!"
map_port "$out/hangup" com7

set +e
VANTREL_TEST_COM=COM5 VANTREL_TEST_DEAF_COM=COM6 VANTREL_TEST_HANGUP_COM=COM7 QT_QPA_PLATFORM=offscreen \
    "$here/wine.sh" "$program" "$@" 2>"$out/stderr"
status=$?
set -e
# When a terminal it watches hangs up, Wine lists its server's objects on standard error: thousands of
# lines that say nothing about the test.
grep -v -E '^(0x[0-9a-f]+:[0-9]+: |    [0-9a-f]{4}: |  c[0-9a-f]{3}: )' "$out/stderr" >&2 || true
exit $status
