#!/usr/bin/env bash
# Makes the Debian package build/package/quillon-gallery_<version>_<arch>.deb with CPack (the
# install rules are in cmake/Install.cmake) and checks it: its dependencies come from
# dpkg-shlibdeps, lintian reports no error, and the menu entry and the software-centre
# description pass their validators. Prints the package's path last.
#   scripts/package.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

scripts/deps.sh build package
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target install-files
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log"; exit 1; }
debs=("$build"/package/quillon-gallery_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package.sh: CPack made no single .deb" >&2; exit 1; }
deb=${debs[0]}

echo "--- $deb"
dpkg-deb --field "$deb" Package Version Architecture Installed-Size Depends

version=$(dpkg-deb --field "$deb" Version)
logged=$(sed -n '1s/^quillon-gallery (\([^)]*\)).*/\1/p' data/debian/changelog)
if [ "$version" != "$logged" ]; then
  echo "package.sh: the package is version $version but data/debian/changelog starts with $logged" >&2
  exit 1
fi
case "$(dpkg-deb --field "$deb" Depends)" in
  *libQt6*|*libqt6core6*) ;;
  *) echo "package.sh: dpkg-shlibdeps found no Qt library among the dependencies" >&2; exit 1 ;;
esac

echo "--- lintian"
lintian --fail-on error --display-info "$deb"
echo "--- validators"
desktop-file-validate data/applications/quillon-gallery.desktop
appstreamcli validate --no-net data/metainfo/com.corvane_soft.QuillonGallery.metainfo.xml
echo "$deb"
