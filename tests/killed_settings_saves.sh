#!/bin/sh
# Real saves of settings.ini killed with SIGKILL at random moments: after each kill the file is one of
# the two whole files being saved, never a mix, a part or nothing.
# usage: killed_settings_saves.sh SAVE_LOOP [KILLS]   (default 200)
set -u
loop=$1
kills=${2:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/texts" "$work/home"
"$loop" "$work/texts" settings-texts || { echo "FAIL: no texts"; exit 1; }
file=$work/home/settings.ini
cp "$work/texts/a.ini" "$file"
seen_a=0
seen_b=0
i=0
while [ "$i" -lt "$kills" ]; do
    i=$((i + 1))
    "$loop" "$work/home" settings 2>"$work/err" &
    pid=$!
    # A moment from 0 to 40 ms in: start-up, the write, the sync, the rename.
    sleep "$(awk -v s="$i$$" 'BEGIN { srand(s); printf "0.%03d", int(rand() * 40) }')"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    if cmp -s "$file" "$work/texts/a.ini"; then
        seen_a=$((seen_a + 1))
    elif cmp -s "$file" "$work/texts/b.ini"; then
        seen_b=$((seen_b + 1))
    else
        echo "FAIL: after kill $i settings.ini holds:"
        cat "$file"
        exit 1
    fi
    if [ -s "$work/err" ]; then
        echo "FAIL: the saves said something before kill $i:"
        cat "$work/err"
        exit 1
    fi
done
echo "$kills kills: settings.ini was the first file $seen_a times, the second $seen_b times, never anything else"
