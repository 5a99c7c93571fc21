#!/usr/bin/env bash
# Builds the release bundle in dist/: the Windows installer, a zip of the plug-in for people who
# prefer to copy it by hand, the Linux renderer with its effect library, and SHA-256 sums of all
# three. Builds only what it packs (the Windows plug-in and installer, the native renderer); run
# scripts/test.sh first for the tests. Usage: scripts/package.sh [DIST_DIR]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"

require_packages $NATIVE_PACKAGES $WINDOWS_PACKAGES
cd "$NEBULASTRA_ROOT"
dist=$(realpath -m "${1:-dist}")

for preset in windows linux; do
    cmake --preset "$preset" >/dev/null
done
cmake --build --preset windows --target msi -j "$(njobs)"
cmake --build --preset linux --target nebulastra-render Nebulastra -j "$(njobs)"

# The version CMake read from the effect's identity constants (2.9.5), and the installer's product
# version, which carries the build number as well (2.9.5.1).
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
msi=build/windows/installer/Nebulastra-$version-win64.msi
[ -f "$msi" ] || { echo "error: $msi was not built" >&2; exit 1; }
file_version=$(msiinfo export "$msi" Property | awk -F'\t' '$1 == "ProductVersion" { print $2 }' | tr -d '\r')

# fill TEMPLATE OUT: the template with the version placeholders filled in.
fill() {
    sed -e "s/@VERSION@/$version/g" -e "s/@FILE_VERSION@/$file_version/g" \
        -e "s/@SHORT_VERSION@/${version%.*}/g" "$1" >"$2"
}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
rm -rf "$dist"
mkdir -p "$dist"
# Archive entries carry the commit's time, not the moment of packaging.
mtime=$(TZ=UTC git log -1 --date=format-local:'%Y-%m-%d %H:%M:%S UTC' --format=%cd 2>/dev/null || date -u '+%Y-%m-%d %H:%M:%S UTC')

cp "$msi" "$dist/"

zip_dir=$stage/zip
mkdir -p "$zip_dir/Nebulastra"
cp build/windows/bin/Nebulastra.aex "$zip_dir/Nebulastra/"
fill packaging/INSTALL-windows.txt "$zip_dir/INSTALL.txt"
sed -i 's/$/\r/' "$zip_dir/INSTALL.txt" # Windows line ends, for Notepad
(cd "$zip_dir" && cmake -E tar cf "$dist/Nebulastra-$version-win64.zip" --format=zip --mtime="$mtime" \
    INSTALL.txt Nebulastra/Nebulastra.aex)

linux_name=nebulastra-render-$version-linux-x86_64
linux_dir=$stage/$linux_name
mkdir -p "$linux_dir/bin" "$linux_dir/examples"
cp build/linux/bin/nebulastra-render build/linux/bin/Nebulastra.so "$linux_dir/bin/"
cp examples/*.json "$linux_dir/examples/"
fill packaging/README-linux.txt "$linux_dir/README.txt"
(cd "$stage" && tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="$mtime" \
    -czf "$dist/$linux_name.tar.gz" "$linux_name")

(cd "$dist" && sha256sum -- * >SHA256SUMS)
echo "Release bundle in $dist:"
(cd "$dist" && ls -l --time-style=+ | tail -n +2 | awk '{ printf "  %10d  %s\n", $5, $NF }')
