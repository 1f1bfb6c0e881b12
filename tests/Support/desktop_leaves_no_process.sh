#!/usr/bin/env bash
# Runs commands that end in every way a test can (normally, by a crash, by
# being killed with the desktop script in the middle of its run) inside the
# desktop script given as $1, and fails when any process that the script
# started is still alive afterwards.
set -uo pipefail
desktop=$1
runs=$(mktemp -d)
trap 'rm -rf "$runs"' EXIT
export TMPDIR=$runs

# The processes whose environment shows they were started by a run below $runs.
survivors() {
    local entry variable
    for entry in /proc/[0-9]*/environ; do
        {
            while IFS= read -r -d '' variable; do
                [[ $variable == QEL_DESKTOP_RUN="$runs"/* ]] && { echo "${entry//[^0-9]/}"; break; }
            done <"$entry"
        } 2>/dev/null
    done
}

check() {
    local what=$1 left
    for _ in $(seq 50); do
        left=$(survivors)
        [[ -z $left ]] && { echo "ok: $what"; return 0; }
        sleep 0.1
    done
    echo "FAILED: $what left: $(for pid in $left; do tr '\0' ' ' </proc/"$pid"/cmdline; echo; done)"
    return 1
}

status=0
"$desktop" true 2>/dev/null
check "a command that succeeds" || status=1

"$desktop" sh -c 'sleep 300 & kill -ABRT $$' 2>/dev/null
check "a command that aborts and leaves a child running" || status=1

# The script stopped from outside (a CI time-out), once politely, once not.
for signal in TERM KILL; do
    rm -f "$runs/running"
    "$desktop" sh -c 'touch "$TMPDIR/running"; exec sleep 300' 2>/dev/null &
    script=$!
    for _ in $(seq 600); do
        [[ -e $runs/running ]] && break
        sleep 0.05
    done
    kill -"$signal" "$script"
    wait "$script" 2>/dev/null
    check "the desktop script killed with SIG$signal" || status=1
done
exit $status
