#!/bin/sh
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for the given number of seconds.
# Usage: scripts/fuzz.sh SECONDS [target...]   (targets: fuzz_descramble fuzz_load fuzz_moodle_xml fuzz_source ...)
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ $# -gt 0 ] && shift
scripts/deps.sh clang libclang-rt-14-dev
build=${BUILD_DIR:-build-fuzz}
CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIZDECK_FUZZ=ON \
    -DBUILD_TESTING=OFF
targets=${*:-$(ls fuzz/*.cpp | sed 's|fuzz/||; s|\.cpp$||')}
# shellcheck disable=SC2086
cmake --build "$build" --target $targets
for target in $targets; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus" "$build/artifacts"
    echo "== $target for $seconds s"
    "$build/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 "$corpus" "fuzz/corpus/${target#fuzz_}" 2>&1 |
        grep -E '^(Done|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY)' || true
done
