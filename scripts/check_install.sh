#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks it as a desktop would see it: the
# file list is exactly the expected one (BUILD/installed-files.txt, written at configure
# time), the menu entry and the AppStream metadata pass their validators, the project file
# type compiles into a MIME database that knows *.kvt and the "[VelmoraProject]" magic, the
# installed program answers --version and velmora-pages --help.
#
#   scripts/check_install.sh [BUILD]      (build/ unless given)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${1:-build}"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT

cmake --install "$BUILD" --prefix "$prefix" >/dev/null
(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) >"$prefix.list"
LC_ALL=C sort "$BUILD/installed-files.txt" >"$prefix.expected"
if ! diff -u "$prefix.expected" "$prefix.list"; then
  echo "install: the installed files differ from $BUILD/installed-files.txt" >&2
  rm -f "$prefix.list" "$prefix.expected"
  exit 1
fi
rm -f "$prefix.list" "$prefix.expected"
echo "install: $(wc -l <"$BUILD/installed-files.txt") files as expected"

desktop-file-validate "$prefix/share/applications/org.velmora.Velmora.desktop"
echo "desktop-file-validate: passed"
appstreamcli validate --no-net "$prefix/share/metainfo/org.velmora.Velmora.metainfo.xml"

update-mime-database "$prefix/share/mime" 2>/dev/null
grep -qx 'application/x-velmora-project' "$prefix/share/mime/types"
grep -q ':application/x-velmora-project:\*\.kvt' "$prefix/share/mime/globs2"
grep -q ':application/x-velmora-project:\*\.KVT' "$prefix/share/mime/globs2"
grep -aq 'VelmoraProject' "$prefix/share/mime/magic"
echo "shared-mime-info: application/x-velmora-project by *.kvt, *.KVT and its magic"

"$prefix/bin/velmora" --version
# The command-line tools answer without a display.
"$prefix/bin/velmora-pages" --help >/dev/null && echo "velmora-pages: answers --help"

# The Debian package holds the same files under /usr, and its dependencies were worked out.
rm -f "$BUILD"/velmora_*.deb
(cd "$BUILD" && cpack -G DEB >cpack.log 2>&1) || { cat "$BUILD/cpack.log" >&2; exit 1; }
deb="$(ls "$BUILD"/velmora_*.deb)"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | LC_ALL=C sort >"$prefix.deb"
if ! LC_ALL=C sort "$BUILD/installed-files.txt" | diff -u - "$prefix.deb"; then
  echo "package: $deb holds other files than an install" >&2
  rm -f "$prefix.deb"
  exit 1
fi
rm -f "$prefix.deb"
depends="$(dpkg-deb -f "$deb" Depends)"
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6multimedia6 libc6 fonts-liberation2; do
  case "$depends" in *"$lib"*) ;; *) echo "package: Depends lacks $lib: $depends" >&2; exit 1 ;; esac
done
echo "package: $(basename "$deb"), Depends: $depends"
