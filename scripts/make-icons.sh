#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG into the hicolor theme folders under
# data/icons/. The PNGs are committed, so a build needs no SVG renderer; run this after changing
# the SVG. Needs rsvg-convert (librsvg2-bin, in the package group of scripts/deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh package
svg=data/icons/hicolor/scalable/apps/quillon-gallery.svg
for size in 48 128 256; do
  out=data/icons/hicolor/${size}x${size}/apps/quillon-gallery.png
  mkdir -p "$(dirname "$out")"
  rsvg-convert --width "$size" --height "$size" "$svg" --output "$out"
  echo "$out"
done
