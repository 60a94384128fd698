# Shared by scripts/build and scripts/test. Sourced, not run.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# On Debian and its derivatives (dpkg and apt-get present), installs the
# packages that are not installed yet; quick when all are. Elsewhere it
# names them and goes on: the build then says which tool it misses.
APT_UPDATED=0
need_packages() {
    if ! command -v dpkg-query >/dev/null || ! command -v apt-get >/dev/null; then
        echo "== not a Debian system: install the equivalents of: $*"
        return 0
    fi
    local missing=()
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "== installing: ${missing[*]}"
    if [ "$APT_UPDATED" -eq 0 ]; then
        as_root apt-get update -qq
        APT_UPDATED=1
    fi
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The Linux build of this machine; then the cross builds: Windows (32- and
# 64-bit), 64-bit ARM and the big-endian s390x; then the Debian packages
# (deb), which dpkg-buildpackage (dpkg-dev) makes with debhelper.
# The Windows builds make the import library for Microsoft's linker with
# llvm-dlltool (llvm-14), and test it with clang-cl and lld-link (clang-14,
# lld-14).
NATIVE_PACKAGES=(cmake make g++ googletest libpugixml-dev libtinyxml2-dev libxml2-dev)
CROSS_PACKAGES=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 g++-aarch64-linux-gnu g++-s390x-linux-gnu llvm-14 clang-14
  lld-14)
BUILD_PACKAGES=("${NATIVE_PACKAGES[@]}" "${CROSS_PACKAGES[@]}" dpkg-dev debhelper)
TARGETS=(native win32 win64 aarch64 s390x deb)

build_presets() {
    for preset in "$@"; do
        echo "== building $preset"
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset"
    done
}
