#!/usr/bin/env bash
# Shows quillon-cli on the bundled sample pictures: a project in a temporary folder, its
# information, and its gallery.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/bin/quillon-cli
work=$(mktemp -d "${TMPDIR:-/tmp}/quillon-sample-XXXXXX")
"$cli" add "$work/sample.tnp" build/bin/Samples/*
"$cli" info "$work/sample.tnp"
"$cli" build "$work/sample.tnp" --dest "$work/gallery"
echo "The sample gallery is in $work/gallery/index.html"
