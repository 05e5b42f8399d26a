#!/bin/sh
# Starts the Mobivert that was just built in the given build folder. Without
# a display (neither DISPLAY nor WAYLAND_DISPLAY set) no window can open, so
# it converts a short demo clip for the default device through mobivert-cli
# instead and says where the result is.
set -eu
build=${1:-build}

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$build/mobivert"
fi

echo "No display found: converting a demo clip with mobivert-cli instead of opening the window."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
clip="$work/mobivert-demo.mp4"

# Five seconds of ffmpeg's test picture with a tone.
ffmpeg -nostdin -hide_banner -loglevel error -y \
    -f lavfi -i testsrc2=size=640x360:rate=25:duration=5 \
    -f lavfi -i sine=frequency=440:sample_rate=48000:duration=5 \
    -ac 2 -c:v mpeg4 -q:v 4 -c:a aac "$clip"

# Into the output folder the window uses; an earlier demo is never replaced.
{ "$build/mobivert-cli" "$clip" || echo $? >"$work/failed"; } | tee "$work/log"
if [ -e "$work/failed" ]; then
    status=$(cat "$work/failed")
    echo "The demo conversion failed (exit status $status)." >&2
    exit "$status"
fi
result=$(sed -n 's/^  .* -> //p' "$work/log")
echo
echo "The converted demo clip is: $result"
