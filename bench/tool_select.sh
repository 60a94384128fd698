#!/usr/bin/env bash
# velkxml select against xmllint --xpath --huge and xmlstarlet sel on one
# generated document of about SIZE_MB megabytes (items with an id, a title
# and a price): the same file (read once before the timed runs, so that every
# command finds it in the page cache), the same paths, output to /dev/null.
# Each command runs RUNS times, the commands of a path in turn, and the
# medians of wall time, CPU time, peak memory and minor page faults are
# printed side by side, with velkxml's wall time over each peer's.
#   tool_select.sh VELKXML [SIZE_MB] [RUNS]
# Needs python3, GNU time (/usr/bin/time), xmllint (libxml2-utils) and
# xmlstarlet; a peer that is missing is left out.
set -euo pipefail
velkxml="$1" size_mb="${2:-200}" runs="${3:-5}"
work="$(mktemp -d "${TMPDIR:-/tmp}/velk-bench-XXXXXXXX")"
trap 'rm -rf "$work"' EXIT
doc="$work/items.xml"

python3 - "$doc" "$size_mb" <<'EOF'
import sys
path, size = sys.argv[1], int(sys.argv[2]) * 1000 * 1000
with open(path, "w") as out:
    out.write('<?xml version="1.0"?>\n<catalog>\n')
    n, written = 0, 0
    while written < size:
        n += 1
        line = '  <item id="i%d"><title>Title %d</title><price>%d.50</price></item>\n' % (n, n, n % 1000)
        out.write(line)
        written += len(line)
    out.write('</catalog>\n')
EOF
items="$(grep -c '<item ' "$doc")"
middle="i$((items / 2))"
echo "document: $(($(stat -c %s "$doc") / 1000000)) MB, $items items; $runs runs each"
cat "$doc" >/dev/null

# One timed run: "wall user+sys peak_kb minor_faults".
timed() {
    /usr/bin/time -f '%e %U %S %M %R' -o "$work/time" "$@" >/dev/null 2>"$work/errors" ||
        { echo "failed: $* $(cat "$work/errors")" >&2; exit 1; }
    awk '{ printf "%s %.2f %s %s\n", $1, $2 + $3, $4, $5 }' "$work/time"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# compare LABEL -- VELKXML_ARGS -- XMLLINT_PATH -- XMLSTARLET_ARGS
compare() {
    local label="$1" ours=() lint="" star=()
    shift 2
    while [ "$1" != -- ]; do ours+=("$1"); shift; done
    shift
    lint="$1"
    shift 2
    star=("$@")
    local names=(velkxml) commands=("$velkxml select ${ours[*]@Q} ${doc@Q}")
    if command -v xmllint >/dev/null; then
        names+=(xmllint)
        commands+=("xmllint --huge --xpath ${lint@Q} ${doc@Q}")
    fi
    if command -v xmlstarlet >/dev/null; then
        names+=(xmlstarlet)
        commands+=("xmlstarlet sel ${star[*]@Q} ${doc@Q}")
    fi
    local i run
    for ((run = 0; run < runs; run++)); do
        for i in "${!commands[@]}"; do
            eval "timed ${commands[$i]}" >>"$work/runs.$i"
        done
    done
    echo
    echo "$label"
    printf '  %-11s %9s %9s %10s %12s\n' command wall_s cpu_s peak_MB minor_faults
    local ours_wall=""
    for i in "${!commands[@]}"; do
        local wall cpu peak faults
        wall="$(cut -d' ' -f1 "$work/runs.$i" | median)"
        cpu="$(cut -d' ' -f2 "$work/runs.$i" | median)"
        peak="$(cut -d' ' -f3 "$work/runs.$i" | median)"
        faults="$(cut -d' ' -f4 "$work/runs.$i" | median)"
        printf '  %-11s %9s %9s %10s %12s' "${names[$i]}" "$wall" "$cpu" "$((peak / 1024))" "$faults"
        if [ -z "$ours_wall" ]; then
            ours_wall="$wall"
            echo
        else
            awk -v a="$ours_wall" -v b="$wall" 'BEGIN { printf "   velkxml/%s %.2f\n", "this", a / b }' |
                sed "s|/this|/${names[$i]}|"
        fi
        rm -f "$work/runs.$i"
    done
}

# Paths below the top element spelled out where "//" would make xmllint's
# node-set of every node pass its limit ("growing nodeset hit limit").
compare "count(//item)" -- "count(//item)" -- "count(//item)" -- -t -v "count(//item)"
compare "one item by attribute: /catalog/item[@id='$middle']/title" \
    -- "/catalog/item[@id='$middle']/title" -- "/catalog/item[@id='$middle']/title/text()" \
    -- -t -v "/catalog/item[@id='$middle']/title"
compare "every title: /catalog/item/title" -- "/catalog/item/title" -- "/catalog/item/title/text()" \
    -- -t -m "/catalog/item/title" -v . -n
