#!/bin/sh
# Real saves killed with SIGKILL at random moments: after each kill the best score's file holds one of
# the two records being saved, 8 bytes, never anything else. Stray half-written files are allowed.
# usage: killed_saves.sh SAVE_LOOP [KILLS]   (default 200)
set -u
loop=$1
kills=${2:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
old=$(printf '\350\003\000\000\012\000\000\000' | od -An -tx1 | tr -d ' \n')  # 1000, 10
new=$(printf '\320\007\000\000\024\000\000\000' | od -An -tx1 | tr -d ' \n')  # 2000, 20
file=$work/hiscore.dat
printf '\350\003\000\000\012\000\000\000' > "$file"
seen_old=0
seen_new=0
i=0
while [ "$i" -lt "$kills" ]; do
    i=$((i + 1))
    "$loop" "$work" 2>"$work/err" &
    pid=$!
    # A moment from 0 to 40 ms in: start-up, the write, the sync, the rename.
    sleep "$(awk -v s="$i$$" 'BEGIN { srand(s); printf "0.%03d", int(rand() * 40) }')"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    got=$(od -An -tx1 "$file" | tr -d ' \n')
    case $got in
    "$old") seen_old=$((seen_old + 1)) ;;
    "$new") seen_new=$((seen_new + 1)) ;;
    *)
        echo "FAIL: after kill $i the file holds \"$got\""
        cat "$work/err"
        exit 1
        ;;
    esac
    if [ -s "$work/err" ]; then
        echo "FAIL: the saves said something before kill $i:"
        cat "$work/err"
        exit 1
    fi
done
echo "$kills kills: the file held the first record $seen_old times, the second $seen_new times, never anything else"
