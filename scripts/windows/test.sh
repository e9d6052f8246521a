#!/bin/sh
# `make test-windows`: the Windows build tested under Wine, in a fresh prefix of its own.
#  1. the Windows test programs, through CTest (which runs them under Wine), and the serial driver's
#     against the simulator and terminals that misbehave (serial-test.sh);
#  2. the installer, silently, for the current user: its files, Start-menu entry and file type;
#  3. the installed command-line tool against the Linux simulator on a pseudo-terminal that the prefix
#     maps to COM5: read, write (with its backup and verification) and compare;
#  4. the installed window program on a virtual X server: connect, read the module, a screenshot;
#  5. the uninstaller, silently: the program's files go, the user's stay.
# Usage: scripts/windows/test.sh WIN-BUILD-DIR LINUX-BUILD-DIR
set -eu
[ $# -eq 2 ] || { echo "usage: test.sh WIN-BUILD-DIR LINUX-BUILD-DIR" >&2; exit 2; }
win=$(cd "$1" && pwd)
linux=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
version=$(sed -n 's/^project(vantrel5 VERSION \([0-9.]*\) .*/\1/p' "$top/CMakeLists.txt")
wine="$here/wine.sh"
out="$win/test-windows"
rm -rf "$out"
mkdir -p "$out"

export WINEPREFIX="$win/wine"
export WINEDEBUG=-all
rm -rf "$WINEPREFIX"
step() { printf '\n== %s\n' "$*"; }
fail() { echo "test-windows: FAILED: $*" >&2; exit 1; }

pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null || true; done
    /usr/lib/wine/wineserver -k 2>/dev/null || true
}
trap cleanup EXIT INT TERM

step "A fresh Wine prefix"
# One Wine server for the whole run, its output kept apart: it lists its objects whenever a terminal
# behind a COM port hangs up, which is every time a simulator ends. Wine's own background programs start
# with the first program, here, so that they hold no test's output open.
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver -p 2>>"$out/wine.log" >&2
"$wine" cmd /c exit 0 >>"$out/wine.log" 2>&1 || fail "Wine does not start (see $out/wine.log)"
user_dir=$(ls -d "$WINEPREFIX/drive_c/users/"* | grep -v /Public | head -n 1)

# The simulator on a pseudo-terminal, as COM5 of the prefix. $1: its extra options.
start_sim() {
    rm -f "$out/sim.out"
    "$linux/vantrel-sim" "$@" >"$out/sim.out" 2>"$out/sim.err" </dev/null &
    sim=$!
    pids="$pids $sim"
    i=0
    while [ ! -s "$out/sim.out" ] && [ $i -lt 50 ]; do sleep 0.1; i=$((i + 1)); done
    pty=$(head -n 1 "$out/sim.out")
    [ -e "$pty" ] || fail "the simulator made no terminal"
    ln -sfn "$pty" "$WINEPREFIX/dosdevices/com5"
}
stop_sim() { kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; }

step "The Windows test programs"
ctest --test-dir "$win" --output-on-failure -j1 -E '^test_win32_serial$' || fail "the Windows test programs"

step "The Win32 serial driver against the simulator, and the registry walk"
"$here/serial-test.sh" "$win" "$linux" || fail "the Win32 serial driver"

step "Silent install for the current user"
"$wine" "$win/vantrel5-setup-$version.exe" /S || fail "the installer failed"
installed="$user_dir/AppData/Local/Programs/Vantrel 5"
for f in vantrel5.exe vantrel5-cli.exe uninstall.exe Qt6Core.dll plugins/platforms/qwindows.dll translations/qtbase_hu.qm qt.conf; do
    [ -f "$installed/$f" ] || fail "not installed: $f"
done
[ -f "$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Vantrel 5.lnk" ] || fail "no Start-menu entry"
"$wine" reg query 'HKCU\Software\Classes\.VT3' /ve | tr -d '\r' | grep -q 'Vantrel5.Parameterfile' || fail "no .VT3 file type"
"$wine" reg query 'HKCU\Software\Classes\Vantrel5.Parameterfile\shell\open\command' /ve | tr -d '\r' |
    grep -q 'vantrel5.exe" "%1"' || fail "the .VT3 file type does not open in the tool"
echo "installed in $installed"

cli="C:\\users\\$(basename "$user_dir")\\AppData\\Local\\Programs\\Vantrel 5\\vantrel5-cli.exe"
work="$user_dir/work"
mkdir -p "$work"

step "The installed command-line tool against the simulator on COM5"
# A parameter set unlike the simulator's blank memory.
head -c 1088 /dev/zero | tr '\000' 'A' > "$work/site.VT3"
start_sim
(cd "$work" && "$wine" "$cli" read --port COM5 read.VT3) || fail "cli read"
[ "$(stat -c %s "$work/read.VT3")" -eq 1088 ] || fail "cli read wrote no parameter file"
(cd "$work" && "$wine" "$cli" write --port COM5 site.VT3) 2>&1 | tee "$out/write.txt" || fail "cli write"
grep -q '\.VT3' "$out/write.txt" || fail "the write named no backup"
(cd "$work" && "$wine" "$cli" compare --port COM5 site.VT3) || fail "cli compare after the write"
(cd "$work" && "$wine" "$cli" compare --port COM5 read.VT3) >"$out/compare.txt" &&
    fail "compare found no difference from the old contents"
tail -n 1 "$out/compare.txt"
stop_sim
echo "read, write with backup and verification, compare: as expected"

step "The installed window program on a virtual X server"
display=:$((90 + $$ % 9))
Xvfb "$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
pids="$pids $!"
sleep 1
DISPLAY=$display openbox >/dev/null 2>&1 &
pids="$pids $!"
start_sim
# The port the tool remembers, in the grid file it keeps it in.
printf '2,1\r\ncw 0,20\r\ncw 1,20\r\n0,0,COM5\r\n' > "$work/VantrelSetup.ini"
(cd "$work" && DISPLAY=$display "$wine" "C:\\users\\$(basename "$user_dir")\\AppData\\Local\\Programs\\Vantrel 5\\vantrel5.exe") >"$out/gui.log" 2>&1 &
gui=$!
pids="$pids $gui"
"$here/gui-steps.sh" "$display" "$out" || fail "the window program (see $out)"
# Closed as Windows closes a program (a close message to its windows): it ends, keeping its port.
"$wine" taskkill /im vantrel5.exe >/dev/null 2>&1
i=0
while kill -0 "$gui" 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
kill -0 "$gui" 2>/dev/null && fail "the window program did not end when closed"
grep -q '^0,0,COM5' "$work/VantrelSetup.ini" || fail "the window program did not keep its port"
stop_sim

step "Silent uninstall"
# A file of the user's own in the program's folder: it stays, and so does the folder holding it.
echo "saját jegyzet" > "$installed/jegyzet.txt"
"$wine" "$installed/uninstall.exe" /S
# The uninstaller runs on as a copy of itself, so that it can remove its own file: wait for it.
i=0
while [ -e "$installed/uninstall.exe" ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i + 1)); done
[ ! -e "$installed/vantrel5.exe" ] && [ ! -e "$installed/uninstall.exe" ] && [ ! -e "$installed/plugins" ] ||
    fail "the uninstaller left the program"
[ -f "$installed/jegyzet.txt" ] && [ -f "$work/read.VT3" ] && [ -f "$work/VantrelSetup.ini" ] ||
    fail "the uninstaller took the user's files"
ls "$user_dir/AppData/Local/Vantrel/backups/"*.VT3 >/dev/null 2>&1 || fail "the uninstaller took the backups"
"$wine" reg query 'HKCU\Software\Classes\.VT3' /ve >/dev/null 2>&1 && fail "the file type stayed"
echo "test-windows: all passed"
