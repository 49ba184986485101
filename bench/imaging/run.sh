#!/usr/bin/env bash
# Imaging benchmark: the picture pipeline on photo-like 12-megapixel JPEGs (bench/make-photos.sh),
# with every baseline measured in the same run on the same files:
#   floor   djpeg decoding every source once;
#   ours    per picture: decode once, thumbnail (default options, shadow on) and 640-wide display
#           image with shadow, both written as JPEG, on one thread (imaging_bench);
#   im      ImageMagick convert, one process per picture: Lanczos resize to the same two sizes,
#           JPEG output, one thread;
#   vips    vipsthumbnail making the thumbnail, one thread.
# Each is run ROUNDS times, the rounds interleaved, and the fastest run is kept, because the
# machine may be busy; wall time and processor time (user + system) are printed, and the ratios
# ours/floor and ours/im of both.
# Peak memory is the resident maximum of the ours run, also as a multiple of one decoded source.
# Usage: bench/imaging/run.sh     BUILD_DIR (default build/); PHOTOS (default 24); ROUNDS (default 3)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build}
count=${PHOTOS:-24}
rounds=${ROUNDS:-3}
"$root/scripts/deps.sh" build bench
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target imaging_bench >/dev/null
driver="$build/bench/imaging/imaging_bench"
[ -x "$driver" ] || driver="$build/bin/imaging_bench"

im=""
for c in convert-im6.q16 /usr/bin/convert; do
  if command -v "$c" >/dev/null && "$c" -version 2>/dev/null | grep -q ImageMagick; then im=$c; break; fi
done
[ -n "$im" ] || { echo "run.sh: ImageMagick is missing (scripts/deps.sh bench)" >&2; exit 1; }

photos=$("$root/bench/make-photos.sh" "$count")
mapfile -t files < <(find "$photos" -name 'photo-*.jpg' | sort | head -n "$count")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/ours" "$work/im" "$work/vips"
cat "${files[@]}" >/dev/null  # warm the file cache for everyone

# measure NAME COMMAND...: one run; keeps the fastest wall and processor times and the largest
# resident size seen for NAME in wall_NAME, cpu_NAME, mem_NAME.
measure() {
  local name=$1 out e u s m c old
  shift
  out=$(/usr/bin/time -f '%e %U %S %M' "$@" 2>&1 >/dev/null | tail -n 1)
  read -r e u s m <<<"$out"
  c=$(awk -v u="$u" -v s="$s" 'BEGIN { printf "%.2f", u + s }')
  old="wall_$name"
  if [ -z "${!old:-}" ] || awk -v a="$e" -v b="${!old}" 'BEGIN { exit !(a < b) }'; then printf -v "$old" '%s' "$e"; fi
  old="cpu_$name"
  if [ -z "${!old:-}" ] || awk -v a="$c" -v b="${!old}" 'BEGIN { exit !(a < b) }'; then printf -v "$old" '%s' "$c"; fi
  old="mem_$name"
  if [ -z "${!old:-}" ] || [ "$m" -gt "${!old}" ]; then printf -v "$old" '%s' "$m"; fi
}

# The baselines as small scripts, so /usr/bin/time sees one process tree each.
{
  echo 'for f in "$@"; do djpeg -outfile /dev/null "$f"; done'
} >"$work/floor.sh"
{
  echo 'i=0'
  echo 'for f in "$@"; do'
  echo '  i=$((i + 1))'
  echo "  MAGICK_THREAD_LIMIT=1 $im \"\$f\" -filter Lanczos \\( +clone -resize '640x480!' -quality 80 -write \"$work/im/\$i.jpg\" +delete \\) -resize '120x90!' -quality 95 \"$work/im/tn_\$i.jpg\""
  echo 'done'
} >"$work/im.sh"
{
  echo 'for f in "$@"; do'
  echo "  VIPS_CONCURRENCY=1 vipsthumbnail \"\$f\" -s 120 -o \"$work/vips/%s.jpg[Q=95]\""
  echo 'done'
} >"$work/vips.sh"

# Rounds interleave the contenders, so each sees the machine in much the same state.
wall_vips=n/a cpu_vips=n/a
for round in $(seq 1 "$rounds"); do
  echo "round $round of $rounds ..." >&2
  measure floor bash "$work/floor.sh" "${files[@]}"
  measure ours "$driver" "$work/ours" "${files[@]}"
  measure im bash "$work/im.sh" "${files[@]}"
  if command -v vipsthumbnail >/dev/null; then
    [ "$round" -eq 1 ] && unset wall_vips cpu_vips
    measure vips bash "$work/vips.sh" "${files[@]}"
  fi
done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 > 0) printf "%.2f", a / b; else print "n/a" }'; }
decoded_kb=$(( $("$driver" --size "${files[0]}") / 1024 ))
echo "imaging benchmark: ${#files[@]} pictures, fastest of $rounds rounds (seconds)"
printf '  %-38s wall %7s   cpu %7s\n' "floor (djpeg decode)" "$wall_floor" "$cpu_floor"
printf '  %-38s wall %7s   cpu %7s\n' "ours (thumbnail + 640 display image)" "$wall_ours" "$cpu_ours"
printf '  %-38s wall %7s   cpu %7s\n' "ImageMagick convert (both sizes)" "$wall_im" "$cpu_im"
printf '  %-38s wall %7s   cpu %7s\n' "vipsthumbnail (thumbnail only)" "$wall_vips" "$cpu_vips"
echo "ratios (wall / cpu):"
echo "  ours/floor        $(ratio "$wall_ours" "$wall_floor") / $(ratio "$cpu_ours" "$cpu_floor")   (target <= 1.5)"
echo "  ours/ImageMagick  $(ratio "$wall_ours" "$wall_im") / $(ratio "$cpu_ours" "$cpu_im")   (target < 1)"
echo "peak memory of ours: ${mem_ours} KB = $(ratio "$mem_ours" "$decoded_kb") x one decoded source (${decoded_kb} KB; target <= 2.5)"
