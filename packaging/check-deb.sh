#!/usr/bin/env bash
# Builds the Debian package from a finished build tree and checks what it holds:
# its dependencies, its files, and that every library the two programs link is
# found when the package is unpacked into an empty root.
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
command -v desktop-file-validate >/dev/null &&
    desktop-file-validate "$root"/usr/share/applications/*.desktop
echo "packaging: $(basename "$deb") checked"
