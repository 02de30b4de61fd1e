#!/bin/sh
# Static checks on the project's own code: formatting (clang-format),
# clang-tidy and cppcheck. Each must report nothing.
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh clang-format clang-tidy cppcheck
build=${BUILD_DIR:-build}
[ -f "$build/compile_commands.json" ] || cmake -S . -B "$build" -G Ninja >/dev/null
# Generated sources (moc, rcc) must exist for clang-tidy to see the code as the compiler does.
cmake --build "$build" --target quizdeck_windows_autogen quizdeck_quiz_autogen quizdeck_startup_autogen quizdeck_tests_autogen >/dev/null 2>&1 || cmake --build "$build"

sources=$(git ls-files '*.cpp' '*.h')
failed=0

echo "== clang-format"
# shellcheck disable=SC2086
clang-format --dry-run -Werror $sources || failed=1

echo "== includes"
# Every header of the project is included by its folder and name, so that the
# compiler finds it only through the layers a target may use (cmake/Layers.cmake),
# never beside the including file.
# shellcheck disable=SC2086
if grep -nE '#include "([^/"]+|[.][.]/[^"]*)"' $sources | grep -v '"Version.h"'; then
    echo "includes: name the header's folder (\"bank/QuestionFile.h\")"
    failed=1
fi

echo "== clang-tidy"
cpp=$(git ls-files '*.cpp' | grep -v '^fuzz/' | grep -v '^bench/')
# clang-tidy reads the program's and the bank tool's code. The tests are held by
# the compiler's warnings (-Werror) and cppcheck alone: each test file takes
# clang-tidy some 20 s of parsing GoogleTest and Qt Test, which would double the
# time of the whole check.
tidy=$(echo "$cpp" | grep -v '^tests/')
# clang-tidy reads each file without the tests' precompiled headers, which are
# GCC's and which clang cannot load: every file must include what it uses.
mkdir -p "$build/tidy"
sed -e 's| -Winvalid-pch||g' -e 's| -include [^ "]*/cmake_pch\.hxx||g' \
    "$build/compile_commands.json" >"$build/tidy/compile_commands.json"
# shellcheck disable=SC2086
run-clang-tidy -quiet -p "$build/tidy" -j "$(nproc)" $tidy >"$build/clang-tidy.log" 2>&1 || failed=1
grep -E 'warning:|error:' "$build/clang-tidy.log" | sort -u || true

echo "== cppcheck"
# shellcheck disable=SC2086
cppcheck --quiet -j "$(nproc)" --enable=warning,performance,portability --library=qt --library=googletest --std=c++17 --language=c++ \
    --inline-suppr --suppress=missingIncludeSystem --error-exitcode=1 -I . $cpp || failed=1

if [ "$failed" -ne 0 ]; then
    echo "static checks: problems found"
    exit 1
fi
echo "static checks: clean"
