#!/usr/bin/env bash
# Incremental build benchmark. A gallery of 500 moderate photos (1600x1200 JPEGs, display images
# 640 wide, shadows on both sides) is built in full once; then, in the same run:
#   - an incremental build with nothing changed            (target: at most 3 % of the full build)
#   - an incremental build after retitling one picture     (target: its pages, plus 3 %)
#   - an incremental build after replacing one source      (target: one picture's work, plus 3 %)
# and the folder is compared with a full build into an empty folder (it must be identical).
# "One picture's work" is the full build's time divided by the number of pictures.
# Usage: bench/build/incremental.sh   BUILD_DIR (default build/) holds bin/quillon-cli;
#                                     PICTURES (default 500) sets the number of pictures.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build}
cli="$build/bin/quillon-cli"
count=${PICTURES:-500}
cores=$(nproc)
[ -x "$cli" ] || { echo "incremental.sh: $cli is missing; build it first (cmake --build $build --target quillon-cli)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "incremental.sh: /usr/bin/time is missing (scripts/deps.sh bench)" >&2; exit 1; }
im=""
for c in convert-im6.q16 /usr/bin/convert; do
  if command -v "$c" >/dev/null && "$c" -version 2>/dev/null | grep -q ImageMagick; then im=$c; break; fi
done
[ -n "$im" ] || { echo "incremental.sh: ImageMagick is missing (scripts/deps.sh bench)" >&2; exit 1; }

# 24 distinct photos, made once; the gallery's pictures are copies of them under their own names.
photos="$root/bench/cache/photos-1600"
mkdir -p "$photos"
for i in $(seq 1 24); do
  out=$(printf '%s/photo-%02d.jpg' "$photos" "$i")
  [ -s "$out" ] && continue
  "$im" -seed "$i" -size 400x300 plasma:fractal -filter Triangle -resize '1600x1200!' \
    -attenuate 0.25 +noise Gaussian -sampling-factor 2x2 -quality 90 "$out.tmp.jpg"
  mv "$out.tmp.jpg" "$out"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"  # the user's own stay out of it
mkdir -p "$work/src"
files=()
for i in $(seq 1 "$count"); do
  file=$(printf '%s/src/pic-%03d.jpg' "$work" "$i")
  cp "$(printf '%s/photo-%02d.jpg' "$photos" $(((i - 1) % 24 + 1)))" "$file"
  files+=("$file")
done
project="$work/gallery.tnp"
"$cli" add "$project" "${files[@]}" >/dev/null
sed -i -e 's/^blImageResize=[^\r]*/blImageResize=1/' -e 's/^AddShadowImage=[^\r]*/AddShadowImage=1/' \
       -e 's/^AddShadow=[^\r]*/AddShadow=1/' -e 's/^iImageWidth=[^\r]*/iImageWidth=640/' "$project"
load=$(cut -d' ' -f1 /proc/loadavg)

# Runs a build; sets secs (wall, to the millisecond) and cpu (user + system).
measure() {
  local start end user sys
  start=$EPOCHREALTIME
  /usr/bin/time -f '%U %S' -o "$work/time" "$cli" build "$project" --jobs "$cores" "$@" \
    >/dev/null 2>"$work/stderr" || { cat "$work/stderr" >&2; exit 1; }
  end=$EPOCHREALTIME
  secs=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
  read -r user sys < <(tail -n 1 "$work/time")
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
}

measure --dest "$work/out"
full=$secs full_cpu=$cpu
measure --dest "$work/out" --incremental
unchanged=$secs unchanged_cpu=$cpu
unchanged_report=$(tail -n 1 "$work/stderr")

# Retitle the middle picture: its page and the index page that shows it change.
middle=$((count / 2))
sed -i -e "/^\[PicSection$middle\]/,/^\[/ s/^LongTitle=[^\r]*/LongTitle=A new title/" "$project"
measure --dest "$work/out" --incremental
retitled=$secs retitled_cpu=$cpu
retitled_report=$(tail -n 1 "$work/stderr")

# Replace one source with another photo (a new file under the old name).
cp "$photos/photo-24.jpg" "$work/replacement.jpg"
mv "$work/replacement.jpg" "${files[$middle]}"
measure --dest "$work/out" --incremental
edited=$secs edited_cpu=$cpu
edited_report=$(tail -n 1 "$work/stderr")

measure --dest "$work/fresh"
identical=no
diff -r "$work/out" "$work/fresh" >/dev/null && identical=yes

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f %%", 100 * a / b; else print "n/a" }'; }
one=$(awk -v f="$full" -v n="$count" 'BEGIN { printf "%.3f", f / n }')
over() { awk -v a="$1" -v o="$one" 'BEGIN { printf "%.3f", (a > o ? a - o : 0) }'; }
cat <<REPORT
Incremental gallery build: $count photo-like 1600x1200 JPEGs, display images 640 wide, shadows on both sides, $cores cores
load average before the run: $load
                                                      wall        CPU
  full build                                       $(printf '%7.3f s  %7.2f s' "$full" "$full_cpu")
  incremental, nothing changed                     $(printf '%7.3f s  %7.2f s' "$unchanged" "$unchanged_cpu")   $unchanged_report
  incremental, one picture retitled                $(printf '%7.3f s  %7.2f s' "$retitled" "$retitled_cpu")   $retitled_report
  incremental, one source replaced                 $(printf '%7.3f s  %7.2f s' "$edited" "$edited_cpu")   $edited_report
  one picture's work (full build / $count)          $(printf '%7.3f s' "$one")
ratios (wall, against the full build)
  nothing changed                                  $(ratio "$unchanged" "$full")   (target at most 3 %)
  one picture retitled                             $(ratio "$retitled" "$full")   (target: its two pages plus 3 %)
  one source replaced, less one picture's work     $(ratio "$(over "$edited")" "$full")   (target at most 3 %)
ratios (CPU, against the full build; steadier on a busy machine)
  nothing changed                                  $(ratio "$unchanged_cpu" "$full_cpu")
  one picture retitled                             $(ratio "$retitled_cpu" "$full_cpu")
  one source replaced                              $(ratio "$edited_cpu" "$full_cpu")
  incremental folder identical to a fresh full build: $identical
REPORT
[ "$identical" = yes ]
