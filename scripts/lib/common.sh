# Shared by the project's scripts: find the tree, make sure the Debian packages a step needs are
# present (installing them when run as root, naming them otherwise), and keep Wine quiet.

NEBULASTRA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export NEBULASTRA_ROOT

# Wine without its first-run installers for .NET and Gecko, and without debug chatter.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}

# Native build: compiler, CMake, tests, scene files, image writers, CLI parsing, benchmarks, and
# clang-format for the style check.
NATIVE_PACKAGES="cmake ninja-build g++ googletest libgtest-dev libbenchmark-dev nlohmann-json3-dev
  libpng-dev libopenexr-dev libcli11-dev pkg-config qemu-user clang-format"
# The pictures (scripts/guide.sh): compositing and labelling, PNG compression, the font, the
# README's animation (img2webp) and its scenes at twice the size.
GUIDE_PACKAGES="imagemagick optipng fonts-dejavu-core webp python3"
# Windows build and its test run; zlib for mingw-w64 and dpkg-source for the Windows tool's libpng,
# Imath and OpenEXR, which the build compiles from Debian's source packages
# (scripts/fetch-debian-source.sh) of the versions the native libopenexr-dev names; the installer
# (wixl builds it, msitools reads it back).
WINDOWS_PACKAGES="g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 libz-mingw-w64-dev dpkg-dev
  libopenexr-dev wixl msitools"
# Thread check and libFuzzer: clang with its sanitizer and fuzzer runtimes.
CLANG_PACKAGES="clang libclang-rt-14-dev"

package_missing() {
    ! dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# require_packages PKG...: install what is missing when root, otherwise stop and name it.
require_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        package_missing "$pkg" && missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        echo "Installing missing Debian packages: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
            || { echo "error: could not install: ${missing[*]}" >&2; exit 1; }
    else
        echo "error: missing Debian packages: ${missing[*]}" >&2
        echo "Install them with: sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
}

njobs() { nproc 2>/dev/null || echo 2; }

# build_preset NAME: configure (once) and build one of the CMake presets.
build_preset() {
    (cd "$NEBULASTRA_ROOT" && cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$(njobs)")
}
