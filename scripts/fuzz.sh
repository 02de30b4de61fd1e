#!/bin/sh
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for the given number of seconds.
# Exits 1 when a target finds a fault: the input is kept in BUILD/artifacts,
# the whole report in BUILD/TARGET.log.
# Usage: scripts/fuzz.sh SECONDS [target...]   (targets: fuzz_descramble fuzz_load fuzz_moodle_xml fuzz_xml_html ...)
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ $# -gt 0 ] && shift
scripts/deps.sh clang libclang-rt-14-dev
build=${BUILD_DIR:-build-fuzz}
launcher=""
command -v ccache >/dev/null && launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"
# shellcheck disable=SC2086
CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUIZDECK_FUZZ=ON \
    -DBUILD_TESTING=OFF $launcher >/dev/null
targets=${*:-$(ls fuzz/*.cpp | sed 's|fuzz/||; s|\.cpp$||')}
# shellcheck disable=SC2086
cmake --build "$build" --target $targets
# Undefined behaviour stops the run as a fault, as AddressSanitizer's findings do.
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export UBSAN_OPTIONS
failed=""
for target in $targets; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus" "$build/artifacts"
    echo "== $target for $seconds s"
    "$build/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 "$corpus" "fuzz/corpus/${target#fuzz_}" \
        >"$build/$target.log" 2>&1 || failed="$failed $target"
    # The runs, the coverage reached (cov: edges, ft: features, corp: inputs kept) and any fault.
    grep -E '^(#[0-9]+[[:space:]]+DONE|Done|stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY|.*runtime error)' \
        "$build/$target.log" || true
done
if [ -n "$failed" ]; then
    echo "faults found by:$failed; inputs in $build/artifacts, reports in $build/<target>.log"
    exit 1
fi
