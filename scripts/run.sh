#!/bin/sh
# Builds Quizdeck with its bundled question files and checks them with the bank tool.
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build"
"$build/program/quizdeck-bank" check "$build"/program/*.drv
