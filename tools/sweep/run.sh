#!/bin/bash
# Mutation sweep: applies each break of breaks.txt to TREE in turn, rebuilds
# incrementally, runs the whole ctest suite, and records whether a test
# caught the break. The file is always restored, also on Ctrl-C.
#
#   tools/sweep/run.sh TREE [BUILD_PRESET]     (preset default: "default")
#
# Environment: BREAKS (default: breaks.txt beside this script), ONLY (a
# space-separated list of ids to run), TEST_TIMEOUT (seconds per test, default 60),
# JOBS (ctest -j, default 2).
# Output: the table on stdout (id, result, catching tests, fault); build and
# test logs under TREE/build/PRESET/sweep-logs/.
set -u

here=$(cd "$(dirname "$0")" && pwd)
tree=$(cd "${1:?usage: run.sh TREE [BUILD_PRESET]}" && pwd)
preset=${2:-default}
breaks=${BREAKS:-$here/breaks.txt}
timeout=${TEST_TIMEOUT:-60}
jobs=${JOBS:-2}
logs=$tree/build/$preset/sweep-logs
mkdir -p "$logs"
export QT_QPA_PLATFORM=offscreen

backup=$(mktemp)
broken_file=""
restore() {
    if [ -n "$broken_file" ]; then
        # Plain cp gives the file a new time, so the next build recompiles it.
        cp "$backup" "$broken_file"
        broken_file=""
    fi
}
trap 'restore; rm -f "$backup"' EXIT
trap 'echo "interrupted: file restored" >&2; exit 130' INT TERM

build() {
    (cd "$tree" && nice cmake --build --preset "$preset") </dev/null >"$1" 2>&1
}

# Failing test names of one ctest run, space-separated.
run_suite() {
    (cd "$tree" && nice ctest --preset "$preset" --timeout "$timeout" -j "$jobs" --no-tests=error) </dev/null >"$1" 2>&1
    sed -n '/The following tests FAILED:/,$p' "$1" |
        sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) (.*$/\1/p' | sort -u | tr '\n' ' ' | sed 's/ $//'
}

if ! build "$logs/unbroken-build.log"; then
    echo "The unbroken tree does not build: see $logs/unbroken-build.log" >&2
    exit 1
fi
already=$(run_suite "$logs/unbroken-test.log")
if [ -n "$already" ]; then
    echo "# failing without any break (not counted as catches): $already"
fi

printf '%-28s %-15s %s\n' "# id" "result" "fault (and the tests that caught it)"
caught=0 survived=0 other=0
while IFS=$'\t' read -r id file fault; do
    if [ -n "${ONLY:-}" ] && [[ " $ONLY " != *" $id "* ]]; then
        continue
    fi
    target=$tree/$file
    if [ ! -f "$target" ]; then
        printf '%-28s %-15s %s\n' "$id" "NOT-APPLICABLE" "($file is absent) $fault"
        other=$((other + 1))
        continue
    fi
    cp "$target" "$backup"
    broken_file=$target
    python3 "$here/breaks.py" apply "$breaks" "$id" "$tree" </dev/null
    status=$?
    if [ $status -ne 0 ]; then
        restore
        why="old text absent"
        [ $status -eq 4 ] && why="old text occurs more than once"
        printf '%-28s %-15s %s\n' "$id" "NOT-APPLICABLE" "($why) $fault"
        other=$((other + 1))
        continue
    fi
    if ! build "$logs/$id-build.log"; then
        restore
        printf '%-28s %-15s %s\n' "$id" "BUILD-FAILED" "$fault"
        other=$((other + 1))
        continue
    fi
    failed=$(run_suite "$logs/$id-test.log")
    restore
    for t in $already; do
        failed=$(echo " $failed " | sed "s/ $t / /" | xargs)
    done
    if [ -n "$failed" ]; then
        printf '%-28s %-15s %s\n%44s caught by: %s\n' "$id" "CAUGHT" "$fault" "" "$failed"
        caught=$((caught + 1))
    else
        printf '%-28s %-15s %s\n' "$id" "SURVIVED" "$fault"
        survived=$((survived + 1))
    fi
done < <(python3 "$here/breaks.py" list "$breaks")

echo "# caught $caught, survived $survived, not run $other"
# Leaves the tree built as it stands.
build "$logs/final-build.log" || echo "final rebuild failed: see $logs/final-build.log" >&2
