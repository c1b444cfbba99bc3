#!/bin/sh
# Golden replays: each tests/replays/NAME.script is run through the replay tool and its trace, actor
# dump and shots are compared with the committed NAME.trace.jsonl, NAME.actors.jsonl and NAME.N.png.
# With UPDATE_GOLDEN=1 the expected files are written instead. Names after the replay tool run only
# those replays (an emulated build takes a few).
#   golden_replay.sh REPLAY [NAME...]
set -e
replay=$1
shift
only=" $* "
dir=$(cd "$(dirname "$0")/replays" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
status=0
for script in "$dir"/*.script; do
    name=$(basename "$script" .script)
    [ "$only" = "  " ] || case "$only" in *" $name "*) ;; *) continue ;; esac
    shots=$(sed -n 's/^# shots: //p' "$script")
    [ -n "$shots" ] || shots="40 150 280"
    args=""
    for n in $shots; do args="$args --shot $n:$out/$name.$n.png"; done
    # Long replays keep every N-th trace line, and an actor dump when the script asks for one.
    every=$(sed -n 's/^# trace-every: //p' "$script")
    [ -n "$every" ] && args="$args --trace-every $every"
    every=$(sed -n 's/^# actors-every: //p' "$script")
    [ -n "$every" ] && args="$args --actors $out/$name.actors.jsonl --actors-every $every"
    # shellcheck disable=SC2086
    "$replay" --script "$script" --trace "$out/$name.trace.jsonl" $args
    if [ "${UPDATE_GOLDEN:-0}" = 1 ]; then
        cp "$out/$name".* "$dir/"
        echo "$name: expected files written"
        continue
    fi
    for f in "$out/$name".*; do
        want="$dir/$(basename "$f")"
        if [ ! -f "$want" ]; then
            echo "$name: no expected $(basename "$f"); run with UPDATE_GOLDEN=1"
            status=1
        elif ! cmp -s "$f" "$want"; then
            echo "$name: $(basename "$f") differs from the expected file"
            case "$f" in *.jsonl) diff "$want" "$f" | head -5 ;; esac
            cp "$f" "${TMPDIR:-/tmp}/actual-$(basename "$f")"
            echo "  (actual kept as ${TMPDIR:-/tmp}/actual-$(basename "$f"))"
            status=1
        fi
    done
done
[ "$status" -eq 0 ] && echo "golden replays match"
exit $status
