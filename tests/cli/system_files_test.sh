#!/usr/bin/env bash
# velkxml against xmllint on the XML files of this system (under /usr/share
# and /etc), each taken when velkxml check finds it well-formed, its document
# type declaration set aside at most:
#   select   for every path below, velkxml select gives the values that
#            xmllint --xpath gives for the same path: the string value of each
#            node, in order (of a path that selects more than 40, the count)
#   format   velkxml format's text is well-formed, and the same document as the
#            file by xmllint --c14n, once blanks between tags are left aside
#   system_files_test.sh MODE VELKXML XMLLINT [LIMIT]
# LIMIT files at most (spread over the sorted list); 77 (skipped) when the
# system has none. Work happens in a folder of its own, removed at the end.
set -uo pipefail
mode="$1" velkxml="$2" xmllint="$3" limit="${4:-80}"
work="$(mktemp -d "${TMPDIR:-/tmp}/velk-system-XXXXXXXX")"
trap 'rm -rf "$work"' EXIT

# Every construct of the path language, on names these files use
# (fontconfig, D-Bus, polkit, MIME, ...) and on any document.
paths=(
    '/*' '/*/*' '//*' '//*/..' './/*' '*/*[1]' '/*/*[last()]' '//*[2]' '//*[last()]/..'
    '//@*' '/*/@*' '//*[@*]' '//*[@name]/@name' '//@id' '//*[@id]' '//text()' '/*/text()'
    '//*[text()]' '//*[*]' '//*/.' 'count(//*)' 'count(//@*)' 'count(//text())' 'count(/*/*)'
    '//dir' '//match/test/@name' '//alias[family="monospace"]/prefer/family'
    '//test[@name="family"]/string' "//match[@target='font']/edit[1]/@name" '//match[@target!="pattern"]'
    '//policy[@context="default"]/allow/@send_destination' '//policy/deny[1]' '//action/@id'
    '//action[1]/description' '//action[last()]/defaults/allow_active' '//mime-type/@type'
    '//include/text()' '//*[.="yes"]' '//*[@*="true"]/..' '//interface/method[2]/@name'
    '//*[@name and @value]/@value' '//*[@id or @name][1]'
)
# A document whose top element is in a namespace is also asked for its
# elements by a prefix bound to that URI (-N), which xmllint is asked for by
# namespace-uri().
max_values=40

files() {
    find /usr/share /etc -type f \( -name '*.xml' -o -name '*.conf' -o -name '*.policy' \) -size -2M \
        2>/dev/null | LC_ALL=C sort >"$work/all"
    # Those that begin as XML, then those the check takes.
    local file kept=0
    while IFS= read -r file; do
        head -c 512 "$file" 2>/dev/null | grep -q '<' || continue
        "$velkxml" check -q "$file" >/dev/null 2>"$work/findings"
        case $? in
        0) ;;
        3) [ "$(grep -vc 'document type declaration set aside' "$work/findings")" -eq 0 ] || continue ;;
        *) continue ;;
        esac
        printf '%s\n' "$file"
    done <"$work/all" >"$work/taken"
    local count
    count="$(wc -l <"$work/taken")"
    [ "$count" -gt 0 ] || {
        echo "no XML file of the system passes the check"
        exit 77
    }
    # Spread over the list: every step-th file.
    awk -v step=$(((count + limit - 1) / limit)) 'NR % step == 1 || step == 1' "$work/taken"
}

failures=0
fail() {
    printf '%s\n' "$*" >&2
    failures=$((failures + 1))
}

# xmllint's values of path in file: the string values of its nodes, one a
# line (a value with a line end in it goes on the next line, as velkxml
# prints it), or "count N" when there are more than max_values.
xmllint_values() { # path file
    local path="$1" file="$2" count expression i
    case "$path" in
    count\(*) "$xmllint" --xpath "$path" "$file" 2>/dev/null && echo; return ;;
    esac
    count="$("$xmllint" --xpath "count($path)" "$file" 2>/dev/null)" || return
    [ "$count" -gt 0 ] || return 0
    [ "$count" -le $max_values ] || {
        echo "count $count"
        return
    }
    expression="concat(''"
    for ((i = 1; i <= count; i++)); do
        expression+=", string(($path)[$i]), '&#10;'"
    done
    # One call for all: the values joined by line ends.
    "$xmllint" --xpath "$expression)" "$file" 2>/dev/null | sed 's/&#10;/\n/g'
}

# One comparison: velkxml select ARGS... against xmllint's values of theirs.
compare() { # file theirs ours...
    local file="$1" theirs_path="$2" ours theirs status
    shift 2
    local path="${*: -1}" options=("${@:1:$#-1}")
    theirs="$(xmllint_values "$theirs_path" "$file")"
    if [ "${theirs#count }" != "$theirs" ]; then
        ours="count $("$velkxml" select "${options[@]}" "count($path)" "$file" 2>"$work/errors")"
    else
        ours="$("$velkxml" select "${options[@]}" "$path" "$file" 2>"$work/errors")"
    fi
    status=$?
    [ $status -le 1 ] || {
        fail "$file: select $* failed ($status): $(cat "$work/errors")"
        return
    }
    [ "$ours" == "$theirs" ] || fail "$file: select $*:"$'\n'"--- xmllint"$'\n'"$theirs"$'\n'"--- velkxml"$'\n'"$ours"
    checked=$((checked + 1))
}

select_mode() {
    local file path uri checked=0
    while IFS= read -r file; do
        for path in "${paths[@]}"; do
            compare "$file" "$path" "$path"
        done
        uri="$("$xmllint" --xpath 'namespace-uri(/*)' "$file" 2>/dev/null)" || uri=""
        case "$uri" in '' | *\'*) continue ;; esac
        local in="[namespace-uri()='$uri']"
        compare "$file" "//*$in" -N "d=$uri" '//d:*'
        compare "$file" "/*$in/*$in[1]" -N "d=$uri" '/d:*/d:*[1]'
        compare "$file" "//*$in[@*]/@*" -N "d=$uri" '//d:*[@*]/@*'
    done < <(files)
    echo "select: $checked paths over the files compared with xmllint, $failures differ"
}

# The document as xmllint canonicalizes it, blanks between tags left aside;
# read from standard input, so that a document type declaration's file is
# found (and its attribute defaults given) for neither of the two.
canonical() { "$xmllint" --c14n - <"$1" 2>/dev/null | python3 -c 'import re,sys; sys.stdout.write(re.sub(r">\s+<", "><", sys.stdin.read()))'; }

format_mode() {
    local file checked=0
    while IFS= read -r file; do
        "$velkxml" format "$file" >"$work/formatted.xml" 2>"$work/errors" || {
            fail "$file: format failed: $(cat "$work/errors")"
            continue
        }
        "$velkxml" check -q "$work/formatted.xml" 2>"$work/errors"
        local status=$?
        [ $status -eq 0 ] || [ $status -eq 3 ] || fail "$file: the formatted text does not pass the check: $(cat "$work/errors")"
        [ "$(canonical "$file")" == "$(canonical "$work/formatted.xml")" ] ||
            fail "$file: format changed the document:"$'\n'"$(diff <(canonical "$file" | fold -w 100) <(canonical "$work/formatted.xml" | fold -w 100) | head -20)"
        checked=$((checked + 1))
    done < <(files)
    echo "format: $checked files formatted and compared by xmllint --c14n, $failures differ"
}

case "$mode" in
select) select_mode ;;
format) format_mode ;;
*)
    echo "unknown mode $mode" >&2
    exit 2
    ;;
esac
[ $failures -eq 0 ]
