#!/usr/bin/env bash
# Builds the Debian package from a finished build tree and checks what it holds:
# its dependencies, its files, that every library the two programs link is found
# when the package is unpacked into an empty root, and that its version, the
# programs' and their version resources agree.
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "packaging: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; fail "cpack failed"; }
deb=$(ls "$out"/*.deb)

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for pkg in libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6 libqt6sql6-sqlite libqt6svg6 libmpv2 fonts-wqy-microhei; do
    grep -qE "(^|, )$pkg( |,|$)" <<<"$depends" || fail "Depends lacks $pkg"
done

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/number ./usr/bin/viewdial \
         ./usr/share/applications/number.desktop ./usr/share/applications/viewdial.desktop \
         ./usr/share/icons/hicolor/scalable/apps/number.svg \
         ./usr/share/icons/hicolor/scalable/apps/viewdial.svg; do
    grep -qxF "$f" <<<"$files" || fail "package lacks $f"
done

root="$out/root"
dpkg-deb -x "$deb" "$root"
for program in number viewdial; do
    missing=$(ldd "$root/usr/bin/$program" | grep 'not found' || true)
    [[ -z "$missing" ]] || fail "$program: $missing"
done

# Versions. The package carries the product's version; each program carries its own, given
# once in CMake: its generated version resource must state it in all four places, and the
# binary must hold it as the UTF-16 text of its application version (the programs take no
# command line to ask). No program may be newer than the package that ships it.
product=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
version=$(dpkg-deb -f "$deb" Version)
echo "Version: $version"
[[ "$version" == "$product" ]] || fail "package version $version is not the product's $product"
IFS=. read -r major minor patch tweak <<<"$version"
package4="$major.$minor.${patch:-0}.${tweak:-0}"
for program in number viewdial; do
    rc="$build/versions/$program.rc"
    v=$(sed -n 's/.*VALUE "FileVersion", "\([0-9.]*\)".*/\1/p' "$rc")
    [[ "$v" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "$rc states no FileVersion"
    grep -qF "VALUE \"ProductVersion\", \"$v\"" "$rc" || fail "$rc: ProductVersion is not $v"
    grep -qx "FILEVERSION ${v//./,}" "$rc" || fail "$rc: FILEVERSION is not $v"
    grep -qx "PRODUCTVERSION ${v//./,}" "$rc" || fail "$rc: PRODUCTVERSION is not $v"
    strings -e l "$root/usr/bin/$program" | grep -qxF "$v" ||
        fail "$program does not carry its application version $v"
    dpkg --compare-versions "$v" le "$package4" || fail "$program $v is newer than the package"
    echo "$program: $v in its resource and its application version"
done

command -v desktop-file-validate >/dev/null &&
    desktop-file-validate "$root"/usr/share/applications/*.desktop
echo "packaging: $(basename "$deb") checked"
