#!/bin/sh
# Builds an optimised Quizdeck and runs the benchmarks.
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${BUILD_DIR:-build-bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIZDECK_BUILD_TESTS=OFF -DQUIZDECK_BUILD_BENCH=ON
cmake --build "$build" --target quizdeck_bench
"$build/bench/quizdeck_bench" "$@"
