#!/bin/sh
# `make fuzz`: runs each harness for a bounded time, one after the other, on its seed corpus and a working
# corpus that grows from run to run (fuzz/corpus-work, not in the repository). A finding (crash, failed
# check, hang, leak) leaves its input in <build>/artifacts/<harness>/ and makes the run fail.
# Usage: fuzz/run.sh <build-fuzz> <seconds per harness> <harness...>
set -u
build=$(realpath "$1")
seconds=$2
shift 2
root=$(cd "$(dirname "$0")" && pwd)

export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/lsan.supp}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen
# Qt wants a private runtime directory; the widget harnesses get one in the build tree.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$build/runtime"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
fi
# The file harnesses write (and sync) a scratch file per input: in memory, where the machine has it.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

failed=""
summary=""
for harness in "$@"; do
    program="$build/fuzz/$harness"
    [ -x "$program" ] || { echo "fuzz: $program is missing" >&2; exit 2; }
    seeds="$root/corpus/${harness#fuzz_}"
    work="$root/corpus-work/${harness#fuzz_}"
    artifacts="$build/artifacts/$harness/"
    mkdir -p "$work" "$artifacts"
    # Inputs as long as the format needs: one image; some 70 frames (each text piece is laid out in a real
    # text box, which is slow); a few kB of line bytes or file text.
    # The widget harnesses leave Qt's text-layout caches growing from input to input: libFuzzer would take
    # each for a leak and scan the whole heap after every input. Their leaks are checked once, at exit.
    leaks=1
    case "$harness" in
        fuzz_editor_image) maxlen=1088 leaks=0 ;;
        fuzz_frames) maxlen=1024 leaks=0 ;;
        *) maxlen=4096 ;;
    esac
    log="$build/artifacts/$harness.log"
    echo "== $harness: ${seconds} s"
    "$program" -max_total_time="$seconds" -timeout=20 -max_len="$maxlen" -detect_leaks="$leaks" -print_final_stats=1 \
        -artifact_prefix="$artifacts" "$work" "$seeds" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    line="$harness: ${runs:-?} executions in ${seconds} s"
    if [ "$status" -ne 0 ]; then
        line="$line, FINDING (exit $status, see $log and $artifacts)"
        failed="$failed $harness"
        tail -n 40 "$log"
    fi
    echo "$line"
    summary="$summary$line
"
done
echo
printf '%s' "$summary"
[ -z "$failed" ] || { echo "fuzz: findings in$failed" >&2; exit 1; }
