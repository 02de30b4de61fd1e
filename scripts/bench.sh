#!/bin/sh
# Builds an optimised Quizdeck, runs the benchmarks and prints each against its limit;
# ends non-zero when any result misses its target:
#   descrambling a line      vs one XOR pass over the same bytes  (target: within 2x)
#   loading 32,767 questions vs reading the file into memory      (target: within 3x)
#   a help topic of one paragraph, 512 KB vs 128 KB              (target: 4x the size, 6x the time at most)
#   start-up to an idle main window, and its peak memory,
#                            vs a minimal Qt Widgets window         (target: within 1.3x)
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${BUILD_DIR:-build-bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQUIZDECK_BUILD_BENCH=ON
cmake --build "$build" --target quizdeck_bench quizdeck_bench_window quizdeck_bench_help startup_quizdeck startup_minimal
export QT_QPA_PLATFORM=offscreen

csv="$build/bench.csv"
"$build/bench/quizdeck_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$csv" --benchmark_out_format=csv "$@"
"$build/bench/quizdeck_bench_window" "$@"
help_csv="$build/bench-help.csv"
"$build/bench/quizdeck_bench_help" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$help_csv" --benchmark_out_format=csv "$@"

# Median real time of a benchmark, from the CSV.
median() { grep -h "^\"$1_median\"" "$csv" "$help_csv" | cut -d, -f3; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# Start-up: median wall time of 21 runs of each program, and peak memory.
startup() {
    runs=""
    for i in $(seq 21); do
        start=$(date +%s%N)
        peak=$("$build/bench/$1" | sed -n 's/^peak_kib //p')
        end=$(date +%s%N)
        runs="$runs $(( (end - start) / 1000 ))"
    done
    echo "$(echo $runs | tr ' ' '\n' | sort -n | sed -n 11p) $peak"
}
set -- $(startup startup_quizdeck); quizdeck_us=$1; quizdeck_kib=$2
set -- $(startup startup_minimal); minimal_us=$1; minimal_kib=$2

# against LABEL VALUE TARGET [DETAIL]: prints a result against its limit (lower is better)
# and remembers a miss, so that the script ends non-zero when any result misses.
missed=0
against() {
    if awk -v v="$2" -v t="$3" 'BEGIN { exit !(v <= t) }'; then verdict=ok; else verdict=MISSED; missed=$((missed + 1)); fi
    printf '%-26s %8s (target %s)%s  %s\n' "$1" "$2" "$3" "${4:+ $4}" "$verdict"
}

echo
echo "== Each against its limit"
against "DescrambleLine 60 bytes:" "$(ratio "$(median BM_DescrambleLine/60)" "$(median BM_XorPass/60)")" 2 "x the XOR pass"
against "DescrambleLine 400 bytes:" "$(ratio "$(median BM_DescrambleLine/400)" "$(median BM_XorPass/400)")" 2 "x the XOR pass"
against "LoadQuestionFile 32,767:" "$(ratio "$(median BM_LoadQuestionFile)" "$(median BM_ReadFileIntoMemory)")" 3 "x reading the file"
echo "                          $(ratio "$(median BM_LoadQuestionFile)" "$(median BM_ReadFileAndXorEveryByte)") x reading it and one XOR pass over every byte"
against "Help topic 512 KB / 128 KB:" "$(ratio "$(median BM_HelpTopicLayout/512/iterations:3)" "$(median BM_HelpTopicLayout/128/iterations:3)")" 6 "x the time for 4x the size ($(median BM_HelpTopicLayout/128/iterations:3) ms vs $(median BM_HelpTopicLayout/512/iterations:3) ms)"
against "Start-up:" "$(ratio "$quizdeck_us" "$minimal_us")" 1.3 "x the minimal program (${quizdeck_us} us vs ${minimal_us} us)"
against "Peak memory at start-up:" "$(ratio "$quizdeck_kib" "$minimal_kib")" 1.3 "x the minimal program (${quizdeck_kib} KiB vs ${minimal_kib} KiB)"

echo
if [ "$missed" -ne 0 ]; then
    echo "benchmarks: $missed missed their target"
    exit 1
fi
echo "benchmarks: every result within its target"
