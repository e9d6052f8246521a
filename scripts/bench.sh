#!/bin/sh
# `make bench`: runs every benchmark program of the build; each prints its own figures. A program that
# misses a target says so and ends with a non-zero status; the others still run, and the list of those
# that missed comes last.
set -u
build=$(realpath "${1:-build}")
found=0
missed=""
for program in $(find "$build/bench" -type f -name 'bench_*' -perm -u+x 2>/dev/null | sort); do
    found=1
    echo "== $(basename "$program")"
    QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} VANTREL_SIM="$build/vantrel-sim" "$program" || missed="$missed $(basename "$program")"
    echo
done
[ "$found" -eq 1 ] || { echo "bench: no benchmark programs in $build/bench"; exit 1; }
[ -z "$missed" ] || { echo "bench: a target missed or a run failed in:$missed"; exit 1; }
