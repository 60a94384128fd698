#!/usr/bin/env bash
# Compares the binary interface of the built library with the committed
# description of the released one, or writes that description anew (write).
# Two descriptions: the library's exports (names, symbol versions, types),
# and the public records, as the small library tests/api/abi_records.c holds
# them.
#   abi_unchanged.sh [write] LIBRARY RECORDS DESCRIPTIONS SOURCE_DIR
# with ABIDW and ABIDIFF in the environment.
set -uo pipefail
write=0
if [ "$1" = write ]; then
    write=1
    shift
fi
library="$1" records="$2" descriptions="$3" source_dir="$4"
problems=""
for pair in "$library:libvelk_xml.abi" "$records:records.abi"; do
    binary="${pair%%:*}" description="$descriptions/${pair#*:}"
    if [ "$write" -eq 1 ]; then
        # Source paths of this checkout would make the file differ between checkouts.
        text="$("$ABIDW" --exported-interfaces-only --no-corpus-path --no-comp-dir-path --no-show-locs \
            "$binary")" || { echo "abidw $binary failed" >&2; exit 1; }
        printf '%s\n' "${text//$source_dir\//}" >"$description"
        echo "wrote $description"
        continue
    fi
    # No suppression files of the machine's: the same answer everywhere.
    report="$("$ABIDIFF" --no-default-suppression "$description" "$binary" 2>&1)"
    status=$?
    # abidiff's status is a set of bits: 1 it failed, 2 it was misused, 4 the
    # interface changed, 8 incompatibly.
    if [ $((status & 3)) -ne 0 ]; then
        echo "abidiff could not compare $binary with $description (status $status):"$'\n'"$report" >&2
        exit 1
    elif [ "$status" -ne 0 ]; then
        problems+="$binary against $description:"$'\n'"$report"$'\n'
    fi
done
if [ -n "$problems" ]; then
    printf '%s' "$problems" >&2
    echo "The binary interface differs from the released one described in $descriptions. If the change is" \
        "meant, change the version in project(VERSION) on purpose (the major version, and with it the SONAME" \
        "libvelk_xml.so.N, for anything that breaks callers built before), say so in CHANGELOG.md, and write" \
        "the descriptions anew: cmake --build --preset native --target abi_descriptions" >&2
    exit 1
fi
