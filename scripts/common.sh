# Shared by scripts/build and scripts/test. Sourced, not run.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

APT_UPDATED=0
# Installs the Debian packages that are not installed yet; quick when all are.
need_packages() {
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

# dpkg-dev and file: CPack's dependency search for the Debian packages
# (dpkg-shlibdeps, and file to tell programs and libraries).
BUILD_PACKAGES=(cmake make g++ googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64 libpugixml-dev libtinyxml2-dev libxml2-dev
                dpkg-dev file)

# The three targets, and the library and tool of the Debian packages (deb).
build_targets() {
    for preset in native win32 win64 deb; do
        echo "== building $preset"
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset"
    done
}
