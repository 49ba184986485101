#!/usr/bin/env bash
# The menu entry, the project file type and the software-centre description pass the validators
# that desktops and software centres use. The validators come from the package group of
# scripts/deps.sh; without any of them the test is skipped (exit 77).
# usage: data_files_valid.sh DATA_DIR
set -u
data=$1
ran=0 failures=0
check() {  # check NAME COMMAND...
  local name=$1; shift
  local out
  if out=$("$@" 2>&1); then
    echo "ok: $name"
  else
    echo "FAIL: $name"; printf '%s\n' "$out"
    failures=$((failures + 1))
  fi
  ran=$((ran + 1))
}
if command -v desktop-file-validate >/dev/null; then
  check "desktop-file-validate" desktop-file-validate "$data/applications/quillon-gallery.desktop"
fi
if command -v appstreamcli >/dev/null; then
  check "appstreamcli validate" appstreamcli validate --no-net \
    "$data/metainfo/com.corvane_soft.QuillonGallery.metainfo.xml"
fi
if command -v update-mime-database >/dev/null; then
  # A private mime database of our one definition: the *.tnp glob must come out of it.
  mime=$(mktemp -d); trap 'rm -rf "$mime"' EXIT
  mkdir -p "$mime/packages" && cp "$data/mime/quillon-gallery.xml" "$mime/packages/"
  check "update-mime-database" bash -c "update-mime-database '$mime' && grep -qx 'application/x-quillon-gallery-project:\*.tnp' '$mime/globs'"
fi
if [ $ran -eq 0 ]; then
  echo "no validator installed (scripts/deps.sh package): skipped"
  exit 77
fi
[ $failures -eq 0 ]
