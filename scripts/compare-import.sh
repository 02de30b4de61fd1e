#!/bin/sh
# Compares what two builds of quizdeck-bank make of the same GIFT and Aiken
# sources: the data file, the messages and the exit status, byte for byte.
# The sources are the benchmark's files of 32,767 questions and every bundled
# data/*.quiz packed and exported to GIFT and Aiken by the first build.
#   scripts/compare-import.sh OLD-quizdeck-bank NEW-quizdeck-bank
# Ends non-zero when any import differs.
set -eu
[ $# -eq 2 ] || { echo "usage: $0 OLD-TOOL NEW-TOOL" >&2; exit 2; }
old=$1
new=$2
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk 'BEGIN { for (i = 1; i <= 32767; i++) {
    printf "// question %d\n::Q%d:: Which property sets the text in a window'"'"'s title bar, in form number %d? {\n", i, i, i
    printf "  =Caption\n  ~Text\n  ~%%0%%Title\n  ~Name\n  ####A form'"'"'s Caption property holds the text of its title bar, and the Text property of a text box holds what the user types.\n}\n\n" } }' >"$work/bench.gift"
awk 'BEGIN { for (i = 1; i <= 32767; i++) {
    printf "Which property sets the text in a window'"'"'s title bar, in form number %d, and which one holds what the user types?\n", i
    printf "A. Text\nB) Caption\nC. Title of the window and some more words\nD. Name\nANSWER: B\n\n" } }' >"$work/bench.aiken"
for quiz in data/*.quiz; do
    name=$(basename "$quiz" .quiz)
    "$old" pack "$quiz" -o "$work/$name.drv" 2>/dev/null || continue
    "$old" export --format gift "$work/$name.drv" >"$work/$name.gift" 2>/dev/null || true
    "$old" export --format aiken "$work/$name.drv" >"$work/$name.aiken" 2>/dev/null || true
done
# run TOOL SOURCE FORMAT SIDE: the import's data file, messages and status in $work/SIDE.*
run() {
    rm -f "$work/out.drv"
    status=0
    "$1" import --format "$3" "$2" -o "$work/out.drv" 2>"$work/$4.err" || status=$?
    echo "$status" >"$work/$4.status"
    if [ -e "$work/out.drv" ]; then mv "$work/out.drv" "$work/$4.drv"; else rm -f "$work/$4.drv"; fi
}
differ=0
count=0
for source in "$work"/*.gift "$work"/*.aiken; do
    for format in gift aiken; do
        run "$old" "$source" "$format" old
        run "$new" "$source" "$format" new
        count=$((count + 1))
        same=yes
        cmp -s "$work/old.err" "$work/new.err" && cmp -s "$work/old.status" "$work/new.status" || same=no
        if [ -e "$work/old.drv" ] || [ -e "$work/new.drv" ]; then
            cmp -s "$work/old.drv" "$work/new.drv" 2>/dev/null || same=no
        fi
        if [ "$same" = no ]; then
            echo "differs: $(basename "$source") as $format"
            differ=$((differ + 1))
        fi
    done
done
echo "$count imports compared, $differ differ"
[ "$differ" -eq 0 ]
