#!/bin/sh
# Builds Quizdeck with its bundled question files, checks them with the bank
# tool and starts the program.
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build"
"$build/program/quizdeck-bank" check "$build"/program/*.drv
exec "$build/program/quizdeck"
