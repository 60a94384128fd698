#!/usr/bin/env bash
# The library as its users get it, one way per MODE (the first argument):
#   files         cmake --install: the file list (the examples in the
#                 documentation folder among them, no empty folder), the
#                 SONAME and its links, no debug sections, the installed tool
#                 (without a search path when TOOL_RPATH is 0) and its man
#                 page, a .pc that names no folder
#   pkg-config    the installed tree moved elsewhere, and the installed
#                 examples compiled with pkg-config's flags from there, run
#                 without any search path
#   find-package  the installed tree moved elsewhere, and the installed
#                 examples built there as a CMake project with
#                 find_package(velk_xml)
#   zip           the Windows ZIP: its contents, the examples compiled with
#                 the mingw compiler against the packaged header and import
#                 library, and msvc_caller.c compiled and linked as
#                 Microsoft's toolchain does (CLANG in cl mode, LLD_LINK)
#                 against the packaged VELK_XML.lib, each run under Wine with
#                 the packaged DLL of ARCH (x86, x64); the files of x64/ too
#                 when X64_BUILD, the 64-bit build that the 32-bit ZIP takes
#                 them from, has made its DLL
#   deb           the Debian packages in DEB_DIR: each one's files, the
#                 dependencies on the library package of exactly this
#                 version; then the three unpacked into one tree: the library
#                 as callers find it, the -dev package's examples built with
#                 pkg-config and with find_package and run, the tool run
#   lintian       lintian on the Debian packages: no error (its report is
#                 shown)
# What the build knows comes in the environment: SOURCE_DIR, BUILD_DIR,
# VERSION, C_COMPILER, CXX_COMPILER, EMULATOR (a cross build's programs run under it),
# CMAKE, and per mode GENERATOR, BUILD_TYPE, READELF, PKG_CONFIG, BINDIR,
# LIBDIR, INCLUDEDIR, MANDIR, DOCDIR, TOOL_RPATH, CPACK, ARCH, X64_BUILD,
# DEB_DIR, DPKG_DEB, LINTIAN, CLANG, LLD_LINK, LLVM_DLLTOOL. Everything happens in a new folder under the
# system's temporary folder, which goes when the test ends.
set -euo pipefail
MODE="$1"
work="$(mktemp -d "${TMPDIR:-/tmp}/velk-package-XXXXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"
read -r -a emulator <<<"${EMULATOR:-}"

fail() {
    printf '%s\n' "$*" >&2
    exit 1
}

# Runs a command and prints its standard output, with CR LF line ends as LF;
# a failure ends the test with what it printed on both. Standard error is
# left out of the output (an emulator may write there).
run() {
    local out
    out="$("$@" 2>"$work/errors")" || fail "$* ended with $?:"$'\n'"$out"$'\n'"$(cat "$work/errors")"
    out="${out//$'\r\n'/$'\n'}"
    printf '%s' "${out%$'\r'}" # the last line end's LF went with the command's output
}

expect_equal() { # what actual expected
    [ "$2" == "$3" ] || fail "$1:"$'\n'"--- expected"$'\n'"$3"$'\n'"--- actual"$'\n'"$2"
}

# What the two examples print and write for examples/catalog.xml.
LIST_DEMO_OUTPUT='entries: 4
  entry 1 holds 4 data bytes
  entry 2 holds 5 data bytes
  entry 3 holds 5 data bytes
  entry 4 holds 2 data bytes
after moving the last entry first, entry 1 holds 2 bytes
list error text: ""'
XML_DEMO_OUTPUT='<?xml version="1.0"?>
<catalog owner="Ann & Bob">
  <book id="b1">
    <title>
      "Sea <and> Sky"
    <price>
      "12.50"
  <book id="b2">
    <title>
      "Stone"
    <price>
      "8"
written: changed.xml'
# The compact form, with CR LF where the document has line breaks between tags.
XML_DEMO_FILE=$'<?xml version=\'1.0\'?>\r\n<catalog owner="Ann &amp; Bob">\r\n<book id="book-b1"><title>Sea &lt;and&gt; Sky</title><price>12.50</price></book>\r\n<book id="book-b2"><title>Stone</title><price>8</price></book>\r\n</catalog>'

run_examples() { # list_program xml_program, run under the emulator
    cp "$SOURCE_DIR/examples/catalog.xml" .
    rm -f changed.xml
    expect_equal "the list example's output" "$(run "${emulator[@]}" "$1")" "$LIST_DEMO_OUTPUT"
    expect_equal "the XML example's output" "$(run "${emulator[@]}" "$2" catalog.xml changed.xml)" "$XML_DEMO_OUTPUT"
    # Compared byte for byte: CR LF stays.
    printf '%s' "$XML_DEMO_FILE" | cmp -s - changed.xml ||
        fail "the XML example wrote other bytes than expected:"$'\n'"$(od -c changed.xml | head -20)"
}

expect_no_search_path() { # file
    local dynamic
    dynamic="$(run "$READELF" -d "$1")"
    if grep -Eq 'R(UN)?PATH' <<<"$dynamic"; then fail "$1 carries a search path:"$'\n'"$dynamic"; fi
}

expect_no_debug_sections() { # file
    local sections
    sections="$(run "$READELF" -S -W "$1")"
    if grep -q '\.debug_' <<<"$sections"; then fail "$1 carries debug sections"; fi
}

# The library the loader picks for a program: ldd's answer, or under
# qemu-user that of the target's loader, which lists what it loads when the
# environment asks it to, as ldd does.
expect_library_from() { # program folder [NAME=value...]
    local program="$1" folder="$2" out loaded
    shift 2
    if [ ${#emulator[@]} -gt 0 ]; then
        out="$(run env "$@" "${emulator[@]}" -E LD_TRACE_LOADED_OBJECTS=1 "$program")"
    else
        out="$(run env "$@" ldd "$program")"
    fi
    loaded="$(printf '%s\n' "$out" | sed -n 's/.*libvelk_xml\.so\.1 => \([^ ]*\).*/\1/p')"
    [ -n "$loaded" ] && [ "$(realpath "$loaded")" == "$(realpath "$folder/libvelk_xml.so.1")" ] ||
        fail "$program does not load libvelk_xml.so.1 from $folder:"$'\n'"$out"
}

# libvelk_xml.so.1 -> libvelk_xml.so.<version>, and libvelk_xml.so, what
# programs link with: both with the SONAME libvelk_xml.so.1, no search path of
# their own, no debug sections; the second without the plain names that
# libxml2 defines too (xmlFree ...), only their link names (velk_xmlFree ...).
expect_installed_library() { # libdir
    expect_equal "libvelk_xml.so.1 points at" "$(readlink "$1/libvelk_xml.so.1")" "libvelk_xml.so.$VERSION"
    [ ! -L "$1/libvelk_xml.so" ] || fail "libvelk_xml.so is a link to $(readlink "$1/libvelk_xml.so")"
    local library dynamic
    for library in "$1/libvelk_xml.so.$VERSION" "$1/libvelk_xml.so"; do
        dynamic="$(run "$READELF" -d "$library")"
        grep -q '(SONAME).*\[libvelk_xml\.so\.1\]' <<<"$dynamic" || fail "the SONAME of $library is not libvelk_xml.so.1"
        expect_no_search_path "$library"
        expect_no_debug_sections "$library"
    done
    local names
    names="$(run "$READELF" --dyn-syms -W "$1/libvelk_xml.so" | awk '$7 != "UND" { print $8 }' |
        grep -E '^(velk_)?xml(Free|ParseFile|AddChild|LastError)@' | LC_ALL=C sort)"
    expect_equal "libvelk_xml.so's names of the four" "$names" "velk_xmlAddChild@@VELK_XML_1.1
velk_xmlFree@@VELK_XML_1.1
velk_xmlLastError@@VELK_XML_1.1
velk_xmlParseFile@@VELK_XML_1.1"
}

expect_tool_works() { # tool libdir [NAME=value...]
    local tool="$1" libdir="$2"
    shift 2
    expect_library_from "$tool" "$libdir" "$@"
    cp "$SOURCE_DIR/examples/catalog.xml" .
    expect_equal "the installed tool's check" "$(run env "$@" "${emulator[@]}" "$tool" check catalog.xml)" \
        "catalog.xml: ok"
}

# What a developer's install holds, the paths relative to the tree: the
# headers, the link libvelk_xml.so, velk_xml.pc, the CMake package and the
# examples.
development_files() { # include lib doc
    local config
    config="$(printf '%s' "${BUILD_TYPE:-noconfig}" | tr '[:upper:]' '[:lower:]')"
    printf '%s\n' "$1/velk_xml_version.h" "$2/libvelk_xml.so" "$2/libvelk_check.a" "$2/pkgconfig/velk_xml.pc" \
        "$2/pkgconfig/velk_check.pc" \
        "$2/cmake/velk_xml/velk_xmlConfig.cmake" "$2/cmake/velk_xml/velk_xmlConfigVersion.cmake" \
        "$2/cmake/velk_xml/velk_xmlTargets.cmake" "$2/cmake/velk_xml/velk_xmlTargets-$config.cmake"
    (cd "$SOURCE_DIR/api" && for h in *.h *.hpp; do printf '%s\n' "$1/$h"; done)
    (cd "$SOURCE_DIR/examples" && for f in *; do printf '%s\n' "$3/examples/$f"; done)
}

files_under() { (cd "$1" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort); }

WARNINGS=(-Wall -Wextra -Werror)

# The installed examples compiled with pkg-config's flags from the .pc in
# $libdir/pkgconfig, with no search path, and run with the library of
# $libdir. The .pc names $prefix, $libdir and $includedir, wherever the tree
# was installed; or, for a package unpacked under $sysroot, the folders of
# the installed package (prefix=/usr), which pkg-config finds under it.
examples_with_pkg_config() {
    [ -n "${PKG_CONFIG:-}" ] || fail "pkg-config was not found when the build was configured"
    local pc=(env "PKG_CONFIG_PATH=$libdir/pkgconfig" "PKG_CONFIG_SYSROOT_DIR=${sysroot:-}" "$PKG_CONFIG")
    expect_equal "pkg-config --modversion velk_xml" "$(run "${pc[@]}" --modversion velk_xml)" "$VERSION"
    local variable name
    for name in velk_xml velk_check; do
        for variable in prefix libdir includedir; do
            expect_equal "$name.pc's $variable" "$(realpath "$(run "${pc[@]}" --variable=$variable $name)")" \
                "$(realpath "${!variable}")"
        done
    done
    local flags example
    read -r -a flags <<<"$(run "${pc[@]}" --cflags --libs velk_xml)"
    for example in demo xml_demo; do
        run "$C_COMPILER" "${WARNINGS[@]}" "$examples/$example.c" "${flags[@]}" -o "velk_$example" >/dev/null
        expect_no_search_path "velk_$example"
    done
    expect_library_from "$work/velk_demo" "$libdir" "LD_LIBRARY_PATH=$libdir"
    LD_LIBRARY_PATH="$libdir" run_examples "$work/velk_demo" "$work/velk_xml_demo"
    # The check library, with the flags of velk_check.pc: the configuration
    # example reads strictly and edits in place.
    read -r -a flags <<<"$(run "${pc[@]}" --cflags --libs velk_check)"
    run "$C_COMPILER" "${WARNINGS[@]}" "$examples/config_edit.c" "${flags[@]}" -o velk_config_edit >/dev/null
    cp "$examples/config.xml" .
    case "$(LD_LIBRARY_PATH="$libdir" run "${emulator[@]}" "$work/velk_config_edit" config.xml)" in
    *'<server port="8443">'*'<timeout>30</timeout><log>info</log>'*) ;;
    *) fail "the configuration example did not edit config.xml" ;;
    esac
}

# The installed examples built as a CMake project with find_package(velk_xml)
# and $prefix as the prefix to search, and run: they load the library of
# $libdir, and search neither the build tree nor the sources.
examples_with_find_package() {
    run "$CMAKE" -S "$examples" -B "$work/build" -G "$GENERATOR" "-DCMAKE_C_COMPILER=$C_COMPILER" \
        "-DCMAKE_CXX_COMPILER=$CXX_COMPILER" \
        "-DCMAKE_PREFIX_PATH=$prefix" -DCMAKE_BUILD_TYPE=Release "-DCMAKE_C_FLAGS=${WARNINGS[*]}" >/dev/null
    run "$CMAKE" --build "$work/build" >/dev/null
    local example dynamic
    for example in demo xml_demo; do
        dynamic="$(run "$READELF" -d "$work/build/velk_$example")"
        case "$dynamic" in
        *"$BUILD_DIR"* | *"$SOURCE_DIR"*) fail "velk_$example searches the build tree for libraries:"$'\n'"$dynamic" ;;
        esac
    done
    expect_library_from "$work/build/velk_demo" "$libdir"
    run_examples "$work/build/velk_demo" "$work/build/velk_xml_demo"
}

# Installs into a folder of its own and moves the tree to $prefix: what is
# used afterwards must not name the folder it was installed into.
install_and_move() {
    run "$CMAKE" --install "$BUILD_DIR" --prefix "$work/installed" >/dev/null
    mv "$work/installed" "$prefix"
}

prefix="$work/prefix"
libdir="$prefix/${LIBDIR:-}"
includedir="$prefix/${INCLUDEDIR:-}"
examples="$prefix/${DOCDIR:-}/examples"

files_mode() {
    run "$CMAKE" --install "$BUILD_DIR" --prefix "$prefix" >/dev/null
    local expected
    expected="$({
        development_files "$INCLUDEDIR" "$LIBDIR" "$DOCDIR"
        printf '%s\n' "$BINDIR/velkxml" "$LIBDIR/libvelk_xml.so.1" "$LIBDIR/libvelk_xml.so.$VERSION" \
            "$DOCDIR/CHANGELOG.md" "$DOCDIR/LICENSE" "$DOCDIR/README.md" "$MANDIR/man1/velkxml.1"
    } | LC_ALL=C sort)"
    expect_equal "the installed files" "$(files_under "$prefix")" "$expected"
    local empty
    empty="$(find "$prefix" -type d -empty)"
    [ -z "$empty" ] || fail "an empty folder was installed: $empty"
    expect_installed_library "$libdir"
    expect_no_debug_sections "$prefix/$BINDIR/velkxml"
    # The tool finds the library beside it, not in the build tree; where the
    # library's folder is one the system searches (TOOL_RPATH 0), the tool
    # has no search path and is shown the library with LD_LIBRARY_PATH.
    local tool_env=()
    if [ "$TOOL_RPATH" != 1 ]; then
        expect_no_search_path "$prefix/$BINDIR/velkxml"
        tool_env=("LD_LIBRARY_PATH=$libdir")
    fi
    expect_tool_works "$prefix/$BINDIR/velkxml" "$libdir" "${tool_env[@]}"
    head -1 "$prefix/$MANDIR/man1/velkxml.1" | grep -q '^\.TH VELKXML 1 ' || fail "velkxml.1 is no man page"
    # The .pc names no folder: it finds the prefix from its own place.
    if grep -q '=/' "$libdir/pkgconfig/velk_xml.pc"; then
        fail "velk_xml.pc names an absolute folder:"$'\n'"$(cat "$libdir/pkgconfig/velk_xml.pc")"
    fi
}

# msvc_caller.c compiled by clang in cl mode for the MSVC target of ARCH,
# with no C runtime and no header but the packaged ones (/X), declarations
# missing being errors; linked by lld-link with the packaged VELK_XML.lib and
# import libraries of the system functions it calls, made as lib /def: makes
# them; run under Wine beside the packaged DLL.
msvc_caller() { # package arch
    local package="$1" arch="$2" target machine kill_at=() lib
    if [ "$arch" = x86 ]; then
        target=i686-pc-windows-msvc machine=i386 kill_at=(-k)
    else
        target=x86_64-pc-windows-msvc machine=i386:x86-64
    fi
    printf '%s\n' 'LIBRARY kernel32.dll' EXPORTS GetStdHandle@4 WriteFile@20 ExitProcess@4 >kernel32.def
    printf '%s\n' 'LIBRARY oleaut32.dll' EXPORTS SysAllocStringByteLen@8 SysFreeString@4 SysStringByteLen@4 >oleaut32.def
    for lib in kernel32 oleaut32; do
        [ "$arch" = x86 ] || sed -i 's/@[0-9]*$//' $lib.def
        run "$LLVM_DLLTOOL" -m $machine "${kill_at[@]}" -d $lib.def -l $lib.lib >/dev/null
    done
    run "$CLANG" --driver-mode=cl --target=$target /nologo /X /GS- /Od /Zl /W4 /WX -Werror=implicit-function-declaration \
        "-I$package/include" /c /Fomsvc_caller.obj -- "$SOURCE_DIR/tests/package/msvc_caller.c" >/dev/null
    run "$LLD_LINK" /nologo /entry:start /subsystem:console /nodefaultlib msvc_caller.obj \
        "$package/$arch/VELK_XML.lib" kernel32.lib oleaut32.lib "/out:$package/$arch/msvc_caller.exe" >/dev/null
    expect_equal "the MSVC-built caller" "$(run "${emulator[@]}" "$package/$arch/msvc_caller.exe")" "msvc caller: ok"
}

zip_mode() {
    run "$CPACK" --config "$BUILD_DIR/CPackConfig.cmake" -B "$work/cpack" >/dev/null
    local name="VELK_XML-$VERSION-windows" arch="$ARCH"
    local zip="$work/cpack/$name.zip"
    [ -f "$zip" ] || fail "cpack made no $name.zip"
    local expected
    expected="$({
        printf '%s\n' "$name/CHANGELOG.md" "$name/LICENSE.txt" "$name/README.txt" "$name/include/velk_xml_version.h"
        local a
        for a in "$arch" $([ -n "${X64_BUILD:-}" ] && [ -f "$X64_BUILD/bin/VELK_XML.dll" ] && echo x64); do
            printf '%s\n' "$name/$a/VELK_XML.def" "$name/$a/VELK_XML.dll" "$name/$a/VELK_XML.dll.a" "$name/$a/VELK_XML.lib" \
                "$name/$a/velkxml.exe" "$name/$a/libvelk_check.a"
        done
        (cd "$SOURCE_DIR/api" && for h in *.h *.hpp; do printf '%s\n' "$name/include/$h"; done)
    } | LC_ALL=C sort)"
    expect_equal "the ZIP's files" "$(run "$CMAKE" -E tar tf "$zip" | grep -v '/$' | LC_ALL=C sort)" "$expected"
    run "$CMAKE" -E tar xf "$zip" >/dev/null
    local package="$work/$name" example
    # Programs of a caller: the packaged header and import library, and the
    # DLL found beside the program.
    for example in demo xml_demo; do
        run "$C_COMPILER" "${WARNINGS[@]}" "-I$package/include" "$SOURCE_DIR/examples/$example.c" \
            "$package/$arch/VELK_XML.dll.a" -loleaut32 -o "$package/$arch/velk_$example.exe" >/dev/null
    done
    run_examples "$package/$arch/velk_demo.exe" "$package/$arch/velk_xml_demo.exe"
    msvc_caller "$package" "$arch"
    expect_equal "the packaged tool's check" "$(run "${emulator[@]}" "$package/$arch/velkxml.exe" check catalog.xml)" \
        "catalog.xml: ok"
    # The tool's standard output takes the bytes as they are: the library's
    # CR LF line ends, each once.
    cp "$SOURCE_DIR/examples/colours.xml" .
    "${emulator[@]}" "$package/$arch/velkxml.exe" format --compact colours.xml >written 2>/dev/null ||
        fail "the packaged tool's format failed"
    printf '%s\r\n' '<list name="colours">' '<listitem name="sky">blue</listitem>' \
        '<listitem name="grass">green</listitem>' '<listitem name="Fire &amp; Ice">red &amp; white</listitem>' \
        '</list>' | head -c -2 >expected
    printf '\n' >>expected
    cmp -s expected written || fail "the packaged tool wrote other bytes:"$'\n'"$(od -c written | head)"
}

# The Debian packages: libvelk-xml<major>, libvelk-xml-dev and velkxml, of
# one version and architecture.
major="${VERSION%%.*}"
library="libvelk-xml$major"
development=libvelk-xml-dev
tool=velkxml
find_debs() {
    local made
    made="$(cd "$DEB_DIR" && ls -- *.deb 2>/dev/null | LC_ALL=C sort)"
    deb_version="$(printf '%s\n' "$made" | sed -n "s/^${library}_\\(${VERSION//./\\.}-[^_]*\\)_[^_]*\\.deb\$/\\1/p")"
    [ -n "$deb_version" ] || fail "no $library package of version $VERSION-<revision> in $DEB_DIR: $made"
    arch="$(printf '%s\n' "$made" | sed -n "s/^${library}_[^_]*_\\([^_]*\\)\\.deb\$/\\1/p")"
    local expected="" package
    for package in "$library" "$development" "$tool"; do
        expected+="${package}_${deb_version}_${arch}.deb"$'\n'
    done
    expect_equal "the packages made" "$made" "$(printf '%s' "$expected" | LC_ALL=C sort)"
}
deb() { echo "$DEB_DIR/${1}_${deb_version}_${arch}.deb"; }

deb_mode() {
    find_debs
    # The packages of the build depend on the library of exactly this version
    # first (then on what their binaries take, libvelk_xml.so in -dev too).
    local exact="$library (= $deb_version)" package
    for package in "$development" "$tool"; do
        case "$(run "$DPKG_DEB" -f "$(deb $package)" Depends)" in
        "$exact, "*) ;;
        *) fail "$package does not depend on $exact first" ;;
        esac
    done
    # The files of each package, each unpacked alone.
    local lib="usr/$LIBDIR"
    for package in "$library" "$development" "$tool"; do
        local doc="usr/$DATAROOTDIR/doc/$package" expected
        expected="$({
            printf '%s\n' "$doc/changelog.Debian.gz" "$doc/changelog.gz" "$doc/copyright"
            case "$package" in
            "$library")
                printf '%s\n' "$lib/libvelk_xml.so.$major" "$lib/libvelk_xml.so.$VERSION" \
                    "usr/$DATAROOTDIR/lintian/overrides/$package"
                ;;
            "$tool") printf '%s\n' "usr/$BINDIR/velkxml" "usr/$MANDIR/man1/velkxml.1.gz" ;;
            *)
                development_files "usr/$INCLUDEDIR" "$lib" "$doc"
                printf '%s\n' "$doc/README.md.gz" "usr/$DATAROOTDIR/lintian/overrides/$package"
                ;;
            esac
        } | LC_ALL=C sort)"
        run "$DPKG_DEB" -x "$(deb "$package")" "$work/$package" >/dev/null
        expect_equal "$package's files" "$(files_under "$work/$package")" "$expected"
        run "$DPKG_DEB" -x "$(deb "$package")" "$work/root" >/dev/null
    done
    # The three packages as one installed tree.
    sysroot="$work/root"
    prefix="$work/root/usr"
    # A distribution's package names its prefix, as the system's .pc files do.
    for name in velk_xml velk_check; do
        grep -qx 'prefix=/usr' "$work/root/$lib/pkgconfig/$name.pc" || fail "$name.pc does not name prefix=/usr"
    done
    libdir="$work/root/$lib"
    includedir="$prefix/$INCLUDEDIR"
    examples="$work/root/usr/$DATAROOTDIR/doc/$development/examples"
    expect_installed_library "$libdir"
    expect_no_debug_sections "$prefix/$BINDIR/velkxml"
    examples_with_pkg_config
    examples_with_find_package
    expect_tool_works "$prefix/$BINDIR/velkxml" "$libdir" "LD_LIBRARY_PATH=$libdir"
}

lintian_mode() {
    [ -n "${LINTIAN:-}" ] || fail "lintian was not found when the build was configured: install lintian (scripts/test does)"
    find_debs
    echo "lintian's report:"
    run "$LINTIAN" --fail-on error --tag-display-limit 0 "$(deb "$library")" "$(deb $development)" "$(deb $tool)"
}

case "$MODE" in
files) files_mode ;;
pkg-config)
    install_and_move
    examples_with_pkg_config
    ;;
find-package)
    install_and_move
    examples_with_find_package
    ;;
zip) zip_mode ;;
deb) deb_mode ;;
lintian) lintian_mode ;;
*) fail "unknown mode '$MODE'" ;;
esac
echo "$MODE: passed"
