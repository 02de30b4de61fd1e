#!/bin/sh
# Builds an optimised Quizdeck, runs the benchmarks and prints each against its limit;
# ends non-zero when any result misses its target:
#   descrambling a line      vs one XOR pass over the same bytes  (target: within 2x)
#   loading 32,767 questions vs reading the file into memory      (target: within 3x)
#   start-up to an idle main window, and its peak memory,
#                            vs a minimal Qt Widgets window         (target: within 1.3x)
#   quizdeck-bank importing the platform's Moodle XML export of 30,000 questions
#                            (about 60 MB): time                    (target: under 1 s)
#                            and peak memory vs the file's size     (target: under 8x)
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh time
build=${BUILD_DIR:-build-bench}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DQUIZDECK_BUILD_BENCH=ON
cmake --build "$build" --target quizdeck_bench quizdeck_bench_window startup_quizdeck startup_minimal \
    quizdeck-bank quizdeck_xml_bank
export QT_QPA_PLATFORM=offscreen

csv="$build/bench.csv"
"$build/bench/quizdeck_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$csv" --benchmark_out_format=csv "$@"
"$build/bench/quizdeck_bench_window" "$@"

# Median real time of a benchmark, from the CSV.
median() { grep "^\"$1_median\"" "$csv" | cut -d, -f3; }
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
# Moodle XML import by the real tool: median wall time of 5 runs, and its peak memory.
xml="$build/moodle-30000.xml"
"$build/bench/quizdeck_xml_bank" "$xml" 30000 >/dev/null
xml_import() {
    runs=""
    for i in $(seq 5); do
        start=$(date +%s%N)
        /usr/bin/time -f %M -o "$build/xml-peak.txt" "$build/program/quizdeck-bank" import --format xml "$xml" \
            -o "$build/moodle-30000.drv" 2>/dev/null
        end=$(date +%s%N)
        runs="$runs $(( (end - start) / 1000 ))"
    done
    echo "$(echo $runs | tr ' ' '\n' | sort -n | sed -n 3p) $(cat "$build/xml-peak.txt")"
}
set -- $(xml_import); xml_us=$1; xml_kib=$2
xml_bytes=$(wc -c < "$xml")

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
against "Start-up:" "$(ratio "$quizdeck_us" "$minimal_us")" 1.3 "x the minimal program (${quizdeck_us} us vs ${minimal_us} us)"
against "Peak memory at start-up:" "$(ratio "$quizdeck_kib" "$minimal_kib")" 1.3 "x the minimal program (${quizdeck_kib} KiB vs ${minimal_kib} KiB)"
against "Moodle XML import 30,000:" "$(ratio "$xml_us" 1000000)" 1 "s for $xml_bytes bytes"
against "Its peak memory:" "$(ratio "$(( xml_kib * 1024 ))" "$xml_bytes")" 8 "x the file's size (${xml_kib} KiB)"

echo
if [ "$missed" -ne 0 ]; then
    echo "benchmarks: $missed missed their target"
    exit 1
fi
echo "benchmarks: every result within its target"
