#!/bin/sh
# Runs one fuzz target for a while:
#   run-fuzzer.sh <fuzz build folder> <target> [seconds]
# e.g. tests/fuzz/run-fuzzer.sh build/tests/fuzz inifile 3600
# MOBIVERT_FUZZ_SECONDS, when set, overrides the time (default 60 seconds).
# The target starts from its seed corpus here and from what earlier runs
# kept in <fuzz build folder>/corpus/<target>, and adds what it finds there.
# An input that fails a check is written to <fuzz build folder>/findings/.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=$1
target=$2
seconds=${MOBIVERT_FUZZ_SECONDS:-${3:-60}}

work="$build/corpus/$target"
findings="$build/findings"
mkdir -p "$work" "$findings"

set -- -max_total_time="$seconds" -timeout=30 -rss_limit_mb=3072 -use_value_profile=1 \
    -print_final_stats=1 -artifact_prefix="$findings/$target-"
if [ -f "$here/dict/$target.dict" ]; then
    set -- "$@" -dict="$here/dict/$target.dict"
fi
exec "$build/fuzz_$target" "$@" "$work" "$here/corpus/$target"
