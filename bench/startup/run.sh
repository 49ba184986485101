#!/usr/bin/env bash
# Start-up benchmark: what a short quillon-cli command costs next to a tool that does the same
# work, all measured in the same run on the same files (startup_bench: ROUNDS runs of each, the
# commands taking turns). Ratios of the median wall times and of the median processor times
# (user + system; on a busy machine the steadier of the two) are printed, the fastest wall
# times beside them:
#   exif       quillon-cli exif PHOTO        against  exiv2 PHOTO (its summary)
#   thumbnail  quillon-cli thumbnail ...     against  djpeg's full decode of PHOTO
#   build      quillon-cli build of a project holding one small JPEG  against  quillon-cli exif
#              of that JPEG
# PHOTO is a 12-megapixel photo-like JPEG (bench/make-photos.sh) with camera data written into
# it by exiv2, as a camera's picture has. Targets: exif at most 1.3 x exiv2, thumbnail at most
# 1.2 x djpeg.
# Usage: bench/startup/run.sh      BUILD_DIR (default build/); ROUNDS (default 30)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build}
rounds=${ROUNDS:-30}
"$root/scripts/deps.sh" build bench
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target quillon-cli startup_bench >/dev/null
cli="$build/bin/quillon-cli"
driver="$build/bench/startup/startup_bench"
for tool in exiv2 djpeg cjpeg; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing (scripts/deps.sh bench)" >&2; exit 1; }
done

photos=$("$root/bench/make-photos.sh" 1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"  # keep the user's preferences out of it

# Camera data as a camera writes it: maker, model, times, exposure, lens, a few dozen tags.
add_camera_data() {
  exiv2 -q \
    -M"set Exif.Image.Make Quillon Optics" -M"set Exif.Image.Model QX-12" \
    -M"set Exif.Image.Orientation 1" -M"set Exif.Image.XResolution 72/1" \
    -M"set Exif.Image.YResolution 72/1" -M"set Exif.Image.ResolutionUnit 2" \
    -M"set Exif.Image.Software Firmware 1.02" -M"set Exif.Image.DateTime 2026:05:17 09:41:23" \
    -M"set Exif.Photo.DateTimeOriginal 2026:05:17 09:41:23" \
    -M"set Exif.Photo.DateTimeDigitized 2026:05:17 09:41:23" \
    -M"set Exif.Photo.ExposureTime 1/250" -M"set Exif.Photo.FNumber 56/10" \
    -M"set Exif.Photo.ExposureProgram 2" -M"set Exif.Photo.ISOSpeedRatings 200" \
    -M"set Exif.Photo.ExposureBiasValue 0/3" -M"set Exif.Photo.MeteringMode 5" \
    -M"set Exif.Photo.Flash 16" -M"set Exif.Photo.FocalLength 35/1" \
    -M"set Exif.Photo.ColorSpace 1" -M"set Exif.Photo.PixelXDimension 4000" \
    -M"set Exif.Photo.PixelYDimension 3000" -M"set Exif.Photo.WhiteBalance 0" \
    -M"set Exif.Photo.FocalLengthIn35mmFilm 52" -M"set Exif.Photo.SceneCaptureType 0" \
    "$1"
}

cp "$photos/photo-01.jpg" "$work/photo.jpg"
add_camera_data "$work/photo.jpg"
djpeg -scale 1/8 "$work/photo.jpg" | cjpeg -quality 90 >"$work/small.jpg"
add_camera_data "$work/small.jpg"
"$cli" add "$work/one.tnp" "$work/small.jpg" >/dev/null
mkdir -p "$work/gallery"
cat "$work/photo.jpg" "$work/small.jpg" >/dev/null

# Every command once with its messages shown, so a failing one says why before the timing.
"$cli" exif "$work/photo.jpg" >/dev/null
"$cli" thumbnail "$work/one.tnp" "$work/photo.jpg" "$work/thumb.jpg" >/dev/null
"$cli" build "$work/one.tnp" --dest "$work/gallery" >/dev/null 2>&1 ||
  "$cli" build "$work/one.tnp" --dest "$work/gallery"
exiv2 "$work/photo.jpg" >/dev/null

mapfile -t times < <("$driver" "$rounds" \
  "$cli" exif "$work/photo.jpg" ';;' exiv2 "$work/photo.jpg" ';;' \
  "$cli" thumbnail "$work/one.tnp" "$work/photo.jpg" "$work/thumb.jpg" ';;' \
  djpeg -outfile /dev/null "$work/photo.jpg" ';;' \
  sh -c 'exec "$0" build "$1" --dest "$2" 2>/dev/null' "$cli" "$work/one.tnp" "$work/gallery" ';;' \
  "$cli" exif "$work/small.jpg")

line() {  # label ours baseline target
  awk -v label="$1" -v a="$2" -v b="$3" -v target="$4" 'BEGIN {
    split(a, x, " "); split(b, y, " ");
    wall = x[1] / y[1]; cpu = x[3] / y[3];
    verdict = "";
    if (target != "") verdict = sprintf("  target <= %.1fx: wall %s, cpu %s", target,
                                        wall <= target ? "met" : "MISSED", cpu <= target ? "met" : "MISSED");
    printf "%-10s wall %7.2f ms (fastest %6.2f) vs %7.2f ms (fastest %6.2f) %5.2fx | cpu %7.2f vs %7.2f ms %5.2fx%s\n",
           label, x[1], x[2], y[1], y[2], wall, x[3], y[3], cpu, verdict }'
}
echo "medians of $rounds runs; load $(cut -d' ' -f1 /proc/loadavg)"
line "exif" "${times[0]}" "${times[1]}" 1.3
line "thumbnail" "${times[2]}" "${times[3]}" 1.2
line "build" "${times[4]}" "${times[5]}" ""
echo "exif: quillon-cli exif vs exiv2; thumbnail: quillon-cli thumbnail vs djpeg full decode;"
echo "build: quillon-cli build of one small JPEG vs quillon-cli exif of it."
echo "shared libraries of quillon-cli: $(ldd "$cli" | wc -l)"
