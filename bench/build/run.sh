#!/usr/bin/env bash
# Gallery build benchmark. Builds a gallery of photo-like 12-megapixel JPEGs (bench/make-photos.sh)
# with display images resized to 640 wide and drop shadows on both sides, and reports in one run:
#   - the floor: djpeg decoding every source once, one process at a time;
#   - quillon-cli build with --jobs 1 and with one job per core (wall time, peak memory), and
#     whether the two galleries are byte for byte the same;
#   - an ImageMagick equivalent: one convert per picture making both sizes (Lanczos, border,
#     shadow), as many at once as there are cores;
#   - peak memory of an all-cores build of a quarter of the pictures, to show that memory follows
#     the number of workers and not the number of pictures.
# Usage: bench/build/run.sh            BUILD_DIR (default build/) holds bin/quillon-cli;
#                                      PHOTOS (default 48) sets the number of pictures.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build}
cli="$build/bin/quillon-cli"
count=${PHOTOS:-48}
cores=$(nproc)
[ -x "$cli" ] || { echo "run.sh: $cli is missing; build it first (cmake --build $build --target quillon-cli)" >&2; exit 1; }
command -v djpeg >/dev/null || { echo "run.sh: djpeg is missing (scripts/deps.sh bench)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "run.sh: /usr/bin/time is missing (scripts/deps.sh bench)" >&2; exit 1; }
im=""
for c in convert-im6.q16 /usr/bin/convert; do
  if command -v "$c" >/dev/null && "$c" -version 2>/dev/null | grep -q ImageMagick; then im=$c; break; fi
done
[ -n "$im" ] || { echo "run.sh: ImageMagick is missing (scripts/deps.sh bench)" >&2; exit 1; }

photos=$("$root/bench/make-photos.sh" "$count")
load=$(cut -d' ' -f1 /proc/loadavg)
mapfile -t files < <(find "$photos" -name 'photo-*.jpg' | sort | head -n "$count")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"  # keep the user's preferences out of it

# The project: new-project values, resizing on at 640 wide, shadows on both sides.
make_project() {  # project-file pictures...
  local project=$1
  shift
  "$cli" add "$project" "$@" >/dev/null
  sed -i -e 's/^blImageResize=[^\r]*/blImageResize=1/' -e 's/^AddShadowImage=[^\r]*/AddShadowImage=1/' \
         -e 's/^AddShadow=[^\r]*/AddShadow=1/' -e 's/^iImageWidth=[^\r]*/iImageWidth=640/' \
         -e 's/^blImageWidth=[^\r]*/blImageWidth=1/' -e 's/^blImageHeight=[^\r]*/blImageHeight=0/' "$project"
}
make_project "$work/all.tnp" "${files[@]}"
make_project "$work/quarter.tnp" "${files[@]:0:$((count / 4))}"

# Runs a command under /usr/bin/time; sets secs (wall), cpu (user + system) and peak_mb.
measure() {
  /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$@" >/dev/null 2>"$work/stderr" || {
    cat "$work/stderr" >&2
    exit 1
  }
  local user sys kb
  read -r secs user sys kb < <(tail -n 1 "$work/time")
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
  peak_mb=$((kb / 1024))
}

measure bash -c 'for f in "$@"; do djpeg "$f" >/dev/null; done' _ "${files[@]}"
floor=$secs floor_cpu=$cpu

measure "$cli" build "$work/all.tnp" --dest "$work/serial" --jobs 1
serial=$secs serial_cpu=$cpu serial_mb=$peak_mb

measure "$cli" build "$work/all.tnp" --dest "$work/parallel" --jobs "$cores"
parallel=$secs parallel_cpu=$cpu parallel_mb=$peak_mb

measure "$cli" build "$work/quarter.tnp" --dest "$work/quarter" --jobs "$cores"
quarter_mb=$peak_mb

identical=no
diff -r "$work/serial" "$work/parallel" >/dev/null && identical=yes

mkdir -p "$work/magick"
one_magick() {  # source
  local name
  name=$(basename "$1" .jpg)
  "$im" "$1" -filter Lanczos \
    \( +clone -resize 120x -shave 1x1 -bordercolor '#C0C0C0' -border 1 \
       \( +clone -background black -shadow 80x4+4+4 \) +swap -background white -layers merge +repage \
       -quality 95 -write "$work/magick/tn_$name.jpg" +delete \) \
    -resize 640x -shave 1x1 -bordercolor '#C0C0C0' -border 1 \
    \( +clone -background black -shadow 80x4+4+4 \) +swap -background white -layers merge +repage \
    -quality 80 "$work/magick/$name.jpg"
}
export -f one_magick
export im work
measure bash -c 'printf "%s\0" "$@" | xargs -0 -n 1 -P '"$cores"' bash -c '"'"'one_magick "$1"'"'"' _' _ "${files[@]}"
magick=$secs magick_cpu=$cpu

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
cat <<REPORT
Gallery build: $count photo-like 4000x3000 JPEGs, display images 640 wide, shadows on both sides, $cores cores
load average before the run: $load (a busy machine makes the wall times, not the CPU times, noisy)
                                                        wall        CPU    peak
  floor: djpeg decoding every source once, serially  $(printf '%7.2f s  %7.2f s' "$floor" "$floor_cpu")
  quillon-cli build --jobs 1                         $(printf '%7.2f s  %7.2f s' "$serial" "$serial_cpu")  ${serial_mb} MB
  quillon-cli build --jobs $cores                         $(printf '%7.2f s  %7.2f s' "$parallel" "$parallel_cpu")  ${parallel_mb} MB
  ImageMagick, one convert per picture, $cores at once    $(printf '%7.2f s  %7.2f s' "$magick" "$magick_cpu")
  quillon-cli build --jobs $cores, $((count / 4)) pictures                                ${quarter_mb} MB
ratios
  all-cores build / decode floor, wall     $(ratio "$parallel" "$floor")   (target at most 1.0)
  ImageMagick / all-cores build, wall      $(ratio "$magick" "$parallel")   (target at least 3)
  --jobs 1 / all-cores build, wall         $(ratio "$serial" "$parallel")
  build CPU / $cores cores / decode floor CPU    $(ratio "$(awk -v c="$parallel_cpu" -v n="$cores" 'BEGIN { print c / n }')" "$floor_cpu")   (what the wall ratio is on an idle machine)
  peak memory, $count / $((count / 4)) pictures          $(ratio "$parallel_mb" "$quarter_mb")   (about 1: memory follows the workers)
  --jobs 1 and --jobs $cores galleries identical: $identical
REPORT
[ "$identical" = yes ]
