#!/bin/sh
# Runs the whole test suite in the given build folder while the machine is
# saturated by other work, as a user's machine converting something else
# would be: BUSY_LOOPS processes that each keep a core busy (default 4)
# beside the suite, for ROUNDS rounds in a row (default 1). The suite must
# pass whatever else the machine is doing; the first failing round ends the
# run with ctest's status.
set -eu
build=${1:-build}
loops=${BUSY_LOOPS:-4}
rounds=${ROUNDS:-1}
jobs=${JOBS:-$(nproc)}

busy=""
stop_busy() {
    [ -n "$busy" ] && kill $busy 2>/dev/null || true
    busy=""
}
trap stop_busy EXIT
trap 'stop_busy; exit 130' INT TERM

i=0
while [ "$i" -lt "$loops" ]; do
    sh -c 'while :; do :; done' &
    busy="$busy $!"
    i=$((i + 1))
done

round=1
while [ "$round" -le "$rounds" ]; do
    echo "Round $round of $rounds, with $loops busy loops beside the suite (load: $(cut -d' ' -f1-3 /proc/loadavg))"
    start=$(date +%s)
    (cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 1200)
    echo "Round $round passed in $(($(date +%s) - start)) s (load: $(cut -d' ' -f1-3 /proc/loadavg))"
    round=$((round + 1))
done
