#!/bin/sh
# `make run`: starts the tool with the module simulator attached as its port. Both run in <build>/run,
# which holds the tool's VantrelSetup.ini, its own port-link directory, settings, backups and event log,
# so nothing touches the user's.
set -eu
build=$(realpath "${1:-build}")
rundir="$build/run"
mkdir -p "$rundir"
export XDG_CONFIG_HOME="$rundir/config"
export XDG_DATA_HOME="$rundir/data"
export XDG_STATE_HOME="$rundir/state"

# The simulator stands on the port the tool will open: the one remembered in VantrelSetup.ini, else COM1.
port=$(sed -n 's/^0,0,COM\([0-9][0-9]*\).*/\1/p' "$rundir/VantrelSetup.ini" 2>/dev/null | head -n 1)
port=${port:-1}

sim=""
if [ -x "$build/vantrel-sim" ]; then
    "$build/vantrel-sim" --com "$port" --demo 3 >"$rundir/sim.log" 2>&1 &
    sim=$!
    trap 'kill "$sim" 2>/dev/null || true' EXIT INT TERM
    # Wait until the simulator has made the port link.
    i=0
    while [ ! -L "$XDG_CONFIG_HOME/vantrel/ports/COM$port" ] && [ $i -lt 50 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    echo "run: the simulator is on COM$port; press \"Soros kapcsolat létrehozása\" to connect."
fi

cd "$rundir"
"$build/vantrel5"
