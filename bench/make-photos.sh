#!/usr/bin/env bash
# Makes N photo-like 4000x3000 JPEGs (quality 90, 4:2:0) named photo-NN.jpg in bench/cache/photos,
# once: pictures already there are kept. Smooth colour fields with fine grain, about 3.5 MB each,
# so decoding and resampling cost what camera pictures cost. Prints the folder.
# Usage: bench/make-photos.sh [N]    (default 48; needs ImageMagick: scripts/deps.sh bench)
set -euo pipefail
count=${1:-48}
here=$(cd "$(dirname "$0")" && pwd)
dir="$here/cache/photos"
mkdir -p "$dir"

# The real ImageMagick, not a stand-in of the same name earlier on PATH.
im=""
for c in convert-im6.q16 /usr/bin/convert; do
  if command -v "$c" >/dev/null && "$c" -version 2>/dev/null | grep -q ImageMagick; then im=$c; break; fi
done
[ -n "$im" ] || { echo "make-photos.sh: ImageMagick is missing (scripts/deps.sh bench)" >&2; exit 1; }

make_one() {
  local i=$1 out
  out=$(printf '%s/photo-%02d.jpg' "$dir" "$i")
  [ -s "$out" ] && return 0
  "$im" -seed "$i" -size 1000x750 plasma:fractal -filter Triangle -resize '4000x3000!' \
    -attenuate 0.25 +noise Gaussian -sampling-factor 2x2 -quality 90 "$out.tmp.jpg"
  mv "$out.tmp.jpg" "$out"
}

jobs=$(nproc)
running=0
for i in $(seq 1 "$count"); do
  make_one "$i" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n; running=$((running - 1)); fi
done
wait
echo "$dir"
