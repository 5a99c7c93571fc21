#!/usr/bin/env bash
# Unpacks a Debian source package (upstream sources with Debian's patches applied) into
# DEST/PACKAGE, for libraries the Windows build compiles itself because Debian ships them for
# Linux only (libpng, Imath and OpenEXR for nebulastra-render.exe).
#
# The system's apt configuration is left alone: a private one under DEST/apt holds deb-src twins
# of the system's Debian archive entries, and `apt-get source` verifies what it downloads against
# their signed indexes. Does nothing when DEST/PACKAGE already exists.
# With VERSION, that version only (the one a native library was built from, so both builds write
# the same bytes); without, the newest the archive serves.
# Usage: scripts/fetch-debian-source.sh PACKAGE DEST [VERSION]     (exit status 1 when it cannot)
set -euo pipefail
pkg=${1:?package} dest=${2:?destination} wanted=${3:-}
[ -d "$dest/$pkg" ] && exit 0

apt_dir=$dest/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d"
# Debian's own archive entries, as deb-src: deb822 paragraphs signed with Debian's archive key,
# and one-line entries whose URI is a Debian archive.
: >"$apt_dir/sources.list"
for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /debian-archive-keyring|URIs:[^\n]*\/debian(-security)?\/?(\n|$)/ {
             sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f" \
        >"$apt_dir/sources.list.d/$(basename "$f")"
done
if [ -f /etc/apt/sources.list ]; then
    sed -n 's|^deb \(\[[^]]*\] \)\{0,1\}\([a-z]*://[^ ]*/debian\(-security\)\{0,1\}/\{0,1\} .*\)|deb-src \1\2|p' \
        /etc/apt/sources.list >"$apt_dir/sources.list"
fi

apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
          -o "APT::Sandbox::User=root" -qq)
apt-get "${apt_opts[@]}" update
work=$dest/$pkg.download
rm -rf "$work"
mkdir -p "$work"
# The newest version first; an archive may index a version it no longer serves, so fall back to
# older ones.
fetched=0
versions=$wanted
[ -n "$versions" ] || versions=$(apt-cache "${apt_opts[@]}" showsrc "$pkg" | sed -n 's/^Version: //p' | sort -u -r -V)
for version in $versions; do
    if (cd "$work" && apt-get "${apt_opts[@]}" source --download-only "$pkg=$version" >/dev/null 2>&1); then
        fetched=1
        break
    fi
    rm -f "$work"/*
done
if [ $fetched -eq 0 ]; then
    echo "error: no version of the source package $pkg${wanted:+ (version $wanted)} could be downloaded" >&2
    exit 1
fi
dsc=$(ls "$work"/*.dsc | head -n 1)
dpkg-source --no-check -x "$dsc" "$dest/$pkg.tmp" >/dev/null
mv "$dest/$pkg.tmp" "$dest/$pkg"
rm -f "$dest"/*.orig.tar.*  # dpkg-source leaves a link to the upstream tarball
rm -rf "$work"
echo "$pkg: $(basename "$dsc" .dsc) unpacked in $dest/$pkg"
