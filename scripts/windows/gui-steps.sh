#!/bin/sh
# The window program's part of test-windows, as an installer would go through it with the keyboard: the
# tool has been started on DISPLAY with COM5 as its port. Tab and Enter on "Soros kapcsolat létrehozása" connect,
# Enter on "Paraméterek beállítása" (where the focus goes next) opens the transfer window, F5 reads the
# module, F6 writes it back and F7 compares. The event log in the prefix says what happened; screenshots of each step go to OUT-DIR.
# Usage: scripts/windows/gui-steps.sh DISPLAY OUT-DIR      (WINEPREFIX set)
set -eu
display=$1
out=$2
export DISPLAY="$display"

# The event log of the prefix (the command-line tool's lines are there too), and how much of it came
# before the step at hand: a step's line must be a new one.
log=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/Vantrel/events.log' | head -n 1)
[ -n "$log" ] || log="$(ls -d "$WINEPREFIX/drive_c/users/"* | grep -v /Public | head -n 1)/AppData/Local/Vantrel/events.log"
mark() { seen=$(stat -c %s "$log" 2>/dev/null || echo 0); }
# Waits up to $1 seconds for a line matching $2 written since the mark.
log_has() {
    i=0
    while [ $i -lt $(($1 * 10)) ]; do
        if tail -c +$((seen + 1)) "$log" 2>/dev/null | grep -q "$2"; then
            return 0
        fi
        sleep 0.1
        i=$((i + 1))
    done
    echo "gui-steps: the event log has no new line with \"$2\"" >&2
    return 1
}
shot() { import -display "$display" -window root "$out/$1.png"; }

# The main window, up and holding the focus.
i=0
until xdotool search --onlyvisible --name '^Vantrel 5' >/dev/null 2>&1; do
    [ $i -lt 300 ] || { echo "gui-steps: the main window did not open" >&2; shot no-window; exit 1; }
    sleep 0.1
    i=$((i + 1))
done
sleep 2
xdotool search --onlyvisible --name '^Vantrel 5' windowactivate --sync 2>/dev/null || true
shot 1-started

# The focus starts on "Soros port kiválasztása"; the next button connects.
mark
xdotool key Tab Return
log_has 10 'Kapcsolódás: COM5' || { shot 2-not-connected; exit 1; }
shot 2-connected

xdotool key Return
sleep 2
shot 3-transfer-window
mark
xdotool key F5
log_has 30 'Beolvasás kész: 15/15 lap.' || { shot 4-not-read; exit 1; }
sleep 1
shot 4-read

# What was read goes back (with the backup before and the check after), and then matches.
mark
xdotool key F6
log_has 60 'Áttöltés kész és ellenőrizve: 15/15 lap.' || { shot 5-not-written; exit 1; }
sleep 1
shot 5-written
mark
xdotool key F7
log_has 30 'Összehasonlítás kész: a modul egyezik.' || { shot 6-not-compared; exit 1; }
sleep 1
shot 6-compared
echo "gui-steps: connected, read, wrote and compared through the window; screenshots in $out"
