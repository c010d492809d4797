#!/bin/sh
# Compares what two builds' readers say about every object and scene under tests/, and about
# damaged copies of them (truncations and single-byte changes): `lwo-info --json` and
# `lws-info --json --at 0,17,400`, standard output, standard error and exit status alike.
# Used to show that speed work on the readers changes nothing a user sees.
#
#   bench/compare_reader_output.sh OLD_BIN_DIR NEW_BIN_DIR [SOURCE_DIR]
#
# Each BIN_DIR holds lwo-info and lws-info. Prints one line per difference and a count; exits 1
# when anything differs.
set -eu
old=$1
new=$2
source=${3:-$(dirname "$0")/..}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The damaged copies sit beside their originals in a copy of tests/, so scenes still find the
# objects they name.
cp -R "$source/tests" "$work/tests"
find "$work/tests" \( -iname '*.lwo' -o -iname '*.lws' \) -type f > "$work/originals"
while read -r f; do
    size=$(wc -c < "$f")
    [ "$size" -gt 0 ] || continue
    for cut in 1 11 12 13 20 $((size / 4)) $((size / 2)) $((size * 3 / 4)) $((size - 1)); do
        [ "$cut" -lt "$size" ] && head -c "$cut" "$f" > "$f.cut$cut.${f##*.}"
    done
    # Single bytes changed across the file: every 37th offset up to 24 of them, to 0xFF and to 0.
    step=$((size / 24 + 1))
    at=4
    while [ "$at" -lt "$size" ]; do
        for value in 377 000; do
            out="$f.byte$at-$value.${f##*.}"
            cp "$f" "$out"
            printf "\\$value" | dd of="$out" bs=1 seek="$at" conv=notrunc status=none
        done
        at=$((at + step))
    done
done < "$work/originals"

run() {  # bin tool file args...
    bin=$1 tool=$2 file=$3
    shift 3
    status=0
    "$bin/$tool" "$@" "$file" > "$work/out" 2> "$work/err" || status=$?
    cat "$work/out" "$work/err"
    echo "exit $status"
}

compared=0
differed=0
for f in $(find "$work/tests" \( -iname '*.lwo' -o -iname '*.lws' \) -type f | sort); do
    case "$f" in
        *.lws|*.LWS) tool=lws-info; set -- --json --at 0,17,400 ;;
        *) tool=lwo-info; set -- --json ;;
    esac
    run "$old" "$tool" "$f" "$@" > "$work/a"
    run "$new" "$tool" "$f" "$@" > "$work/b"
    compared=$((compared + 1))
    if ! cmp -s "$work/a" "$work/b"; then
        differed=$((differed + 1))
        echo "differs: $tool ${f#"$work"/}"
    fi
done
echo "$compared files compared, $differed differ"
[ "$differed" -eq 0 ]
