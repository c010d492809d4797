#!/usr/bin/env bash
# Times `lwo-info FILE` of one or two builds against the peer's `assimp info FILE` (Debian's
# assimp-utils), each as a whole process with its output thrown away, interleaved run by run
# (empty, old, new, peer, empty, old, new, peer...) so that the machine's load falls on all of
# them alike. Prints the median milliseconds of each and their ratios, one row per file; the
# empty process (/bin/true) is the least any process costs here.
#
#   bench/compare_with_peer.sh [-n RUNS] [-g MAKE_BENCH_OBJECTS [-s "MB..."]] BIN_DIR [BIN_DIR2] [-- FILE...]
#
# BIN_DIR holds lwo-info; with two, the first is the one before a change and the second after.
# Files default to the three largest objects under tests/, followed with -g by the grids that
# program writes (make_bench_objects, sizes -s, default "1.75 3 12") to a scratch folder.
# Before timing, each file is read once by every program: a lwo-info that fails stops the run;
# a peer that fails, or says no faces, is not timed on that file (a failed import is quick), and
# its face count is printed beside the triangles lwo-info's polygons make, marked when they
# differ, so that a partial import shows. Without assimp on the PATH the peer's columns are left out, saying so.
set -euo pipefail
export LC_ALL=C
source_dir=$(cd "$(dirname "$0")/.." && pwd)
runs=15
grid_maker=
grid_sizes="1.75 3 12"
while getopts n:g:s: option; do
    case $option in
        n) runs=$OPTARG ;;
        g) grid_maker=$OPTARG ;;
        s) grid_sizes=$OPTARG ;;
        *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
bins=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
    bins+=("$1")
    shift
done
[ $# -gt 0 ] && shift
if [ ${#bins[@]} -lt 1 ] || [ ${#bins[@]} -gt 2 ]; then
    echo "usage: $0 [-n RUNS] [-g MAKE_BENCH_OBJECTS [-s \"MB...\"]] BIN_DIR [BIN_DIR2] [-- FILE...]" >&2
    exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

files=("$@")
if [ ${#files[@]} -eq 0 ]; then
    while read -r _ f; do files+=("$f"); done < <(
        find "$source_dir/tests" -iname '*.lwo' -type f -printf '%s %p\n' | sort -rn | head -3)
    if [ -n "$grid_maker" ]; then
        # shellcheck disable=SC2086  # the sizes are words
        "$grid_maker" "$work" $grid_sizes > "$work/grids"
        while read -r f _; do files+=("$f"); done < "$work/grids"
    fi
fi

peer=$(command -v assimp || true)
[ -n "$peer" ] || echo "assimp (Debian's assimp-utils) is not installed: the peer is left out" >&2

names=()
commands=()
for i in "${!bins[@]}"; do
    names+=("$([ ${#bins[@]} -eq 2 ] && { [ "$i" -eq 0 ] && echo old || echo new; } || echo lwo-info)")
    commands+=("${bins[$i]}/lwo-info")
done

# The triangles the peer should report: a polygon of c >= 3 corners makes c - 2, a line or a
# point one face each.
triangles() {
    "${commands[-1]}" "$1" | awk '/^  polygons / {
        for (i = 1; i <= NF; ++i) if ($i == "with") { k = $(i - 1); c = $(i + 1); n += c >= 3 ? k * (c - 2) : k }
    } END { print n + 0 }'
}

peer_faces() {  # prints the faces the peer imported, 0 when it failed
    local out
    out=$("$peer" info "$1" 2> /dev/null) || { echo 0; return; }
    awk '/^Faces:/ { print $2; found = 1 } END { if (!found) print 0 }' <<< "$out"
}

# Program i of a row on a file: the empty process, the builds' lwo-info in order, the peer.
run_program() {  # i file
    if [ "$1" -eq 0 ]; then
        /bin/true
    elif [ "$1" -le ${#commands[@]} ]; then
        "${commands[$1 - 1]}" "$2"
    else
        "$peer" info "$2"
    fi
}

time_once() {  # i file: microseconds of one whole run
    local start=${EPOCHREALTIME/./}
    run_program "$@" > /dev/null 2>&1 || true
    echo $((${EPOCHREALTIME/./} - start))
}

median_ms() {  # microsecond samples on stdin
    sort -n | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.1f", m / 1000 }'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0 && a != "-" && b != "-") printf "%.3f", a / b; else printf "-" }'; }

header="file KB empty_ms"
for name in "${names[@]}"; do header+=" ${name}_ms"; done
[ -n "$peer" ] && header+=" peer_ms peer_faces our_triangles"
[ -n "$peer" ] && for name in "${names[@]}"; do header+=" ${name}/peer"; done
[ ${#names[@]} -eq 2 ] && header+=" new/old"

row() {  # label KB peer-timed(0/1) peer-faces triangles file
    local label=$1 kb=$2 with_peer=$3 faces=$4 tris=$5 file=$6
    local programs=$((1 + ${#commands[@]} + with_peer))
    for ((run = 0; run < runs; ++run)); do
        for ((i = 0; i < programs; ++i)); do time_once "$i" "$file" >> "$work/samples$i"; done
    done
    local -a ms=()
    for ((i = 0; i < programs; ++i)); do
        ms+=("$(median_ms < "$work/samples$i")")
        rm "$work/samples$i"
    done
    local line="$label $kb ${ms[0]}"
    for i in "${!names[@]}"; do line+=" ${ms[$i + 1]}"; done
    if [ -n "$peer" ]; then
        local peer_ms=-
        [ "$with_peer" -eq 1 ] && peer_ms=${ms[${#names[@]} + 1]}
        line+=" $peer_ms $faces $tris"
        for i in "${!names[@]}"; do line+=" $(ratio "${ms[$i + 1]}" "$peer_ms")"; done
    fi
    [ ${#names[@]} -eq 2 ] && line+=" $(ratio "${ms[2]}" "${ms[1]}")"
    echo "$line"
}

{
    echo "$header"
    for f in "${files[@]}"; do
        for command in "${commands[@]}"; do
            "$command" "$f" > /dev/null || { echo "$command cannot read $f" >&2; exit 1; }
        done
        with_peer=0 faces=- tris=-
        if [ -n "$peer" ]; then
            faces=$(peer_faces "$f")
            tris=$(triangles "$f")
            if [ "$faces" -gt 0 ]; then with_peer=1; else faces=failed; fi
            if [ "$with_peer" -eq 1 ] && [ "$faces" != "$tris" ]; then
                faces="$faces*"
                touch "$work/differed"
            fi
        fi
        row "$(basename "$f")" $(($(wc -c < "$f") / 1024)) "$with_peer" "$faces" "$tris" "$f"
    done
} | column -t
echo "median of $runs interleaved runs each, whole processes, output to /dev/null"
if [ -e "$work/differed" ]; then
    echo "*: the peer's faces are not the triangles lwo-info draws: it reads patches or lines its own way, or only part of the file"
fi
