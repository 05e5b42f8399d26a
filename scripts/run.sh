#!/bin/sh
# Starts the Mobivert that was just built in the given build folder.
set -eu
build=${1:-build}
exec "$build/mobivert"
