#!/usr/bin/env bash
# `cmake --install` into a fresh prefix gives a working copy: every file in its place, and the
# installed quillon-cli finds its shipped pictures under <prefix>/share/quillon-gallery (the
# navigation buttons of a new project and the copies in a built gallery come from there), while
# the installed quillon-gallery starts.
# usage: installed_copy_works.sh CMAKE BUILD_DIR
set -u
cmake=$1 build=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/quillon-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME"

fail() { echo "FAIL: $*"; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 \
  || { cat "$work/install.log"; fail "cmake --install exited non-zero"; }

expected=(
  bin/quillon-cli bin/quillon-gallery
  share/quillon-gallery/Buttons/bhome.gif share/quillon-gallery/Buttons/blast.gif
  share/quillon-gallery/Backgrounds/paper.jpg share/quillon-gallery/Samples/dunes.jpg
  share/applications/quillon-gallery.desktop
  share/mime/packages/quillon-gallery.xml
  share/icons/hicolor/scalable/apps/quillon-gallery.svg
  share/icons/hicolor/48x48/apps/quillon-gallery.png
  share/icons/hicolor/128x128/apps/quillon-gallery.png
  share/icons/hicolor/256x256/apps/quillon-gallery.png
  share/metainfo/com.corvane_soft.QuillonGallery.metainfo.xml
  share/man/man1/quillon-cli.1.gz share/man/man1/quillon-gallery.1.gz
  share/bash-completion/completions/quillon-cli
  share/doc/quillon-gallery/copyright share/doc/quillon-gallery/changelog.gz
)
for file in "${expected[@]}"; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/quillon-cli" ] && [ -x "$prefix/bin/quillon-gallery" ] || fail "programs not executable"
gzip -t "$prefix/share/man/man1/quillon-cli.1.gz" || fail "quillon-cli.1.gz is no gzip file"
bash -n "$prefix/share/bash-completion/completions/quillon-cli" || fail "the bash completion does not parse"

cli=$prefix/bin/quillon-cli
share=$prefix/share/quillon-gallery
"$cli" add "$work/samples.tnp" "$share"/Samples/*.jpg >"$work/add.log" 2>&1 \
  || { cat "$work/add.log"; fail "installed quillon-cli add failed"; }
grep -qx "sNavImageHome=$share/Buttons/bhome.gif" <("$cli" info "$work/samples.tnp" --dump | tr -d '\r') \
  || fail "a new project's Home button is not $share/Buttons/bhome.gif"
"$cli" build "$work/samples.tnp" --dest "$work/gallery" >"$work/build.log" 2>&1 \
  || { cat "$work/build.log"; fail "installed quillon-cli build failed"; }
for file in index.html dunes.html tn_dunes.jpg bhome.gif bnext.gif; do
  [ -s "$work/gallery/$file" ] || fail "the gallery has no $file"
done
cmp -s "$share/Buttons/bhome.gif" "$work/gallery/bhome.gif" || fail "bhome.gif is not the shipped button"

# The window starts (and is still running when stopped); any other end is a failure.
QT_QPA_PLATFORM=offscreen timeout 3 "$prefix/bin/quillon-gallery" >"$work/gui.log" 2>&1
rc=$?
[ $rc -eq 124 ] || { cat "$work/gui.log"; fail "installed quillon-gallery ended with exit $rc within 3 s"; }

echo "installed copy in a fresh prefix: ${#expected[@]} files in place, gallery built, window started"
