#!/usr/bin/env bash
# Compiles what a caller writes against the public headers, as C and as C++,
# with every warning an error: the README's C blocks, examples/demo.c, and a
# caller that passes oleaut32's (or the library's) counted strings to the
# exports and binds them through the header's function-pointer types. On
# Windows no cast may be needed between SysAllocStringByteLen and the exports.
# A caller that mixes up C texts and counted strings must be refused, and so
# must velk_strings.h compiled as C++ older than C++17 or as C, with a message.
#   compile_callers.sh WORKDIR INCLUDE_DIR...
# with CC, CXX, README, DEMO, CALLER and MISTAKEN in the environment.
set -uo pipefail
workdir="$1"
shift
includes=()
for dir in "$@"; do includes+=("-I$dir"); done
warnings=(-Wall -Wextra -Werror)
mkdir -p "$workdir"
problems=""

# The README's ```c blocks, each as the body of a function.
readme_c="$workdir/readme_blocks.c"
awk '
    BEGIN {
        print "/* The C blocks of the README, each as the body of a function. */"
        print "#include <stdio.h>\n#include <string.h>"
        print "#if defined(_WIN32)\n#include <windows.h>\n#include <oleauto.h>\n#endif"
        print "#include \"velk_xml.h\"\n"
    }
    /^```c$/ { n++; printf "int readme_block_%d(void);\nint readme_block_%d(void) {\n", n, n; inside = 1; next }
    inside && /^```/ { print "    return 0;\n}\n"; inside = 0; next }
    inside { print }
    END { print "int main(void) { return 0; }"; if (n == 0) exit 1 }
' "$README" >"$readme_c" || { echo "no C blocks found in $README" >&2; exit 1; }

# The README's ```cpp blocks, each as the body of a function.
readme_cpp="$workdir/readme_blocks.cpp"
awk '
    BEGIN { print "// The C++ blocks of the README, each as the body of a function.\n#include \"velk_xml.hpp\"\n" }
    /^```cpp$/ { n++; printf "void readme_cpp_block_%d() {\n", n; inside = 1; next }
    inside && /^```/ { print "}\n"; inside = 0; next }
    inside { print }
    END { print "int main() { return 0; }"; if (n == 0) exit 1 }
' "$README" >"$readme_cpp" || { echo "no C++ blocks found in $README" >&2; exit 1; }

compile() { # what, command...
    local what="$1" out
    shift
    out="$("$@" 2>&1)" || problems+="--- $what: $*"$'\n'"$out"$'\n'
}
refuse() { # what, text it must say ("" for any), command...
    local what="$1" text="$2" out
    shift 2
    if out="$("$@" 2>&1)" || [[ "$out" != *"$text"* ]]; then
        problems+="--- $what must be refused${text:+ with \"$text\"}: $*"$'\n'"$out"$'\n'
    fi
}

for source in "$readme_c" "$DEMO" "$CALLER" "$MISTAKEN"; do
    name="$(basename "$source")"
    compile "$name as C99" "$CC" -std=c99 "${warnings[@]}" "${includes[@]}" -fsyntax-only "$source"
    compile "$name as C++" "$CXX" -x c++ -std=c++17 "${warnings[@]}" "${includes[@]}" -fsyntax-only "$source"
done
compile "readme_blocks.cpp as C++17" "$CXX" -std=c++17 -pedantic-errors "${warnings[@]}" "${includes[@]}" \
    -fsyntax-only "$readme_cpp"
# The mistaken caller, compiled above as written correctly, is refused with
# each of its mistakes.
for mistake in 1 2; do
    refuse "mistake $mistake as C99" "" "$CC" -std=c99 "${warnings[@]}" "${includes[@]}" -DMISTAKE=$mistake \
        -fsyntax-only "$MISTAKEN"
    refuse "mistake $mistake as C++" "" "$CXX" -x c++ -std=c++17 "${warnings[@]}" "${includes[@]}" \
        -DMISTAKE=$mistake -fsyntax-only "$MISTAKEN"
done
# The headers alone are C89.
printf '#include "velk_xml.h"\n#include "velk_records.h"\nint main(void) { return VELK_NODE_ELEMENT; }\n' \
    >"$workdir/headers_c89.c"
compile "headers as C89" "$CC" -std=c89 -pedantic-errors "${warnings[@]}" "${includes[@]}" -fsyntax-only \
    "$workdir/headers_c89.c"
# The editing header is C99 and C++.
printf '#include "velk_edit.h"\nint main(void) { return velk_root_element(0) != 0; }\n' >"$workdir/edit_caller.c"
compile "velk_edit.h as C99" "$CC" -std=c99 -pedantic-errors "${warnings[@]}" "${includes[@]}" -fsyntax-only \
    "$workdir/edit_caller.c"
compile "velk_edit.h as C++" "$CXX" -x c++ -std=c++17 -pedantic-errors "${warnings[@]}" "${includes[@]}" \
    -fsyntax-only "$workdir/edit_caller.c"
# velk_strings.h is C++17, and says so to a caller that compiles it as older
# C++ or as C.
printf '#include "velk_strings.h"\nint main() { return 0; }\n' >"$workdir/strings_caller.cpp"
compile "velk_strings.h as C++17" "$CXX" -x c++ -std=c++17 "${warnings[@]}" "${includes[@]}" -fsyntax-only \
    "$workdir/strings_caller.cpp"
refuse "velk_strings.h as C++14" "velk_strings.h needs C++17 or later" "$CXX" -x c++ -std=c++14 \
    "${includes[@]}" -fsyntax-only "$workdir/strings_caller.cpp"
refuse "velk_strings.h as C" "velk_strings.h is for C++" "$CC" -x c -std=c99 "${includes[@]}" -fsyntax-only \
    "$workdir/strings_caller.cpp"

if [ -n "$problems" ]; then
    printf '%s' "$problems" >&2
    exit 1
fi
echo "$(grep -c '^int readme_block_[0-9]*(void) {' "$readme_c") README blocks, demo.c and the caller compiled" \
    "as C and C++; the mistaken caller refused; velk_strings.h refused as C++14 and C"
