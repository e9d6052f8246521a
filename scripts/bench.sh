#!/bin/sh
# `make bench`: runs every benchmark program of the build; each prints its own figures.
set -eu
build=$(realpath "${1:-build}")
found=0
for program in $(find "$build/bench" -type f -name 'bench_*' -perm -u+x 2>/dev/null | sort); do
    found=1
    echo "== $(basename "$program")"
    QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} VANTREL_SIM="$build/vantrel-sim" "$program"
    echo
done
[ "$found" -eq 1 ] || echo "bench: no benchmark programs in $build/bench"
