#!/bin/sh
# "Suicidal" games back to back, through the end screen into the next game: the leak checker
# (LeakSanitizer, linked into the soak driver, or AddressSanitizer's) finds nothing at exit.
# Memory growth and list sizes are the long soak's business (tools/soak.sh).
# usage: repeated_games.sh SOAK FRAMES
set -u
soak=$1
frames=$2
export LSAN_OPTIONS=exitcode=23
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
err=$(mktemp)
trap 'rm -f "$err"' EXIT
out=$("$soak" games --difficulty suicidal --frames "$frames" --sample 1000 2>"$err")
code=$?
echo "$out"
status=0
if [ "$code" -ne 0 ]; then
    echo "exit $code"
    grep -v "^soak: frame" "$err"
    status=1
fi
games=$(echo "$out" | sed -n 's/.*games finished \([0-9]*\).*/\1/p')
[ "${games:-0}" -ge 1 ] || { echo "no game finished in $frames frames"; status=1; }
exit $status
