#!/bin/sh
# Builds Quizdeck with its bundled question files, checks them with the bank
# tool and starts the program. Only what running needs is built: the program,
# the bank tool, the data files and the help file (not the test suite).
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target quizdeck quizdeck-bank question_data help_file
"$build/program/quizdeck-bank" check "$build"/program/*.drv
exec "$build/program/quizdeck"
