#!/usr/bin/env bash
# The desktop program's speed targets, as ratios measured in one run on this machine:
# - start to the first shown window: quillon-gallery's window against a bare Qt Widgets program
#   (median of RUNS starts each; target at most 1.5 x);
# - adding 1,000 twelve-megapixel JPEGs through the window against `quillon-cli add` of the same
#   files (target at most 1.2 x);
# - a 48-picture build of twelve-megapixel photos from the create page against `quillon-cli build`
#   of the same project with the same job count (target at most 1.05 x), and the longest stall of
#   the window's event loop meanwhile (target at most 50 ms);
# - uploading that gallery to a local FTP server from the upload page against the command line's
#   upload of it (target at most 1.05 x; the same stall target);
# - the details window on a 20-megapixel JPEG: the camera data is shown before the picture.
# Runs offscreen unless QT_QPA_PLATFORM says otherwise.
# Usage: bench/gui/run.sh     BUILD_DIR (default build/); RUNS (default 15); COUNT (default 1000);
#                             ONLY=start|add|build|upload|details (default: all)
set -euo pipefail
[ -n "${QG_TRACE:-}" ] && set -x
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build}
runs=${RUNS:-15}
count=${COUNT:-1000}
only=${ONLY:-}
"$root/scripts/deps.sh" build bench
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target bench_gui_bare bench_gui_window quillon-cli >/dev/null
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DOCUMENTS_DIR=$work/docs XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

now_ms() { date +%s%3N; }
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
time_ms() { local t0 t1; t0=$(now_ms); "$@" >/dev/null; t1=$(now_ms); echo $((t1 - t0)); }
# Start to the first paint, which the program prints (it ends there: shutdown is not counted).
start_ms() { local t0 t1; t0=$(now_ms); t1=$("$@"); echo $((t1 - t0)); }

want() { [ -z "$only" ] || [ "$only" = "$1" ]; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
window_bench=$build/bench/gui/bench_gui_window
cli_bin=$build/bin/quillon-cli

"$window_bench" start >/dev/null  # first run writes the preferences; not counted
if want start; then
bare=$(for _ in $(seq "$runs"); do start_ms "$build/bench/gui/bench_gui_bare"; done | median)
window=$(for _ in $(seq "$runs"); do start_ms "$build/bench/gui/bench_gui_window" start; done | median)
echo "start to first window: bare Qt ${bare} ms, quillon-gallery ${window} ms," \
  "ratio $(awk -v a="$window" -v b="$bare" 'BEGIN {printf "%.2f", a / b}') (target <= 1.5)"
fi

photos=$("$root/bench/make-photos.sh" 24)
mapfile -t sources < <(find "$photos" -name 'photo-*.jpg' | sort)
if want add; then
mkdir -p "$work/pictures"
files=()
for i in $(seq "$count"); do
  f=$(printf '%s/pictures/p%04d.jpg' "$work" "$i")
  ln -s "${sources[$(((i - 1) % ${#sources[@]}))]}" "$f"
  files+=("$f")
done
cat "${sources[@]}" >/dev/null  # the files in the page cache for both
cli=$(for _ in 1 2 3; do rm -f "$work/p.tnp"; time_ms "$build/bin/quillon-cli" add "$work/p.tnp" "${files[@]}"; done | median)
gui=$(for _ in 1 2 3; do "$build/bench/gui/bench_gui_window" add "${files[@]}"; done | median)
echo "adding $count 12-MP JPEGs: quillon-cli add ${cli} ms, through the window ${gui} ms," \
  "ratio $(awk -v a="$gui" -v b="$cli" 'BEGIN {printf "%.2f", a / b}') (target <= 1.2)"
fi

# The same 48 pictures (24 photos, each twice under its own name) for the build and the upload.
jobs=$(nproc)
if want build || want upload; then
  mkdir -p "$work/p48"
  p48=()
  for i in $(seq 48); do
    f=$(printf '%s/p48/p%02d.jpg' "$work" "$i")
    ln -sf "${sources[$(((i - 1) % ${#sources[@]}))]}" "$f"
    p48+=("$f")
  done
  rm -f "$work/p48.tnp"
  "$cli_bin" add "$work/p48.tnp" "${p48[@]}" >/dev/null
fi

if want build; then
  cli=() gui=() stalls=()
  for _ in 1 2 3; do  # the two take turns, so a change in the machine's load hits both
    rm -rf "$work/g-cli" "$work/g-gui"
    cli+=("$(time_ms "$cli_bin" build "$work/p48.tnp" --dest "$work/g-cli" --jobs "$jobs" 2>/dev/null)")
    read -r ms stall < <("$window_bench" build "$work/p48.tnp" "$work/g-gui" "$jobs")
    gui+=("$ms") stalls+=("$stall")
  done
  c=$(printf '%s\n' "${cli[@]}" | median) g=$(printf '%s\n' "${gui[@]}" | median)
  s=$(printf '%s\n' "${stalls[@]}" | sort -n | tail -n 1)
  same=$(diff -r "$work/g-cli" "$work/g-gui" >/dev/null && echo "byte-identical" || echo "DIFFERENT")
  echo "48-picture build with $jobs jobs: quillon-cli build ${c} ms, from the window ${g} ms," \
    "ratio $(ratio "$g" "$c") (target <= 1.05); longest stall ${s} ms (target <= 50);" \
    "galleries $same"
fi

if want upload; then
  server=$work/ftp
  mkdir -p "$server/root/gui"
  /usr/bin/python3 "$root/tests/net/ftp_test_server.py" --root "$server/root" --log "$server/log" \
    >"$server/port" 2>"$server/err" &
  server_pid=$!
  trap 'kill "$server_pid" 2>/dev/null; rm -rf "$work"' EXIT
  for _ in $(seq 100); do [ -s "$server/port" ] && break; sleep 0.05; done
  port=$(head -n 1 "$server/port")
  [ -n "$port" ] || { echo "run.sh: the FTP test server did not start: $(cat "$server/err")" >&2; exit 1; }
  rm -rf "$work/g-up"
  gui=() stalls=() cli=()
  for _ in 1 2 3; do
    read -r ms stall < <(QG_BENCH_FTP="127.0.0.1:$port qguser qgpass gui" \
      "$window_bench" upload "$work/p48.tnp" "$work/g-up")
    gui+=("$ms") stalls+=("$stall")
    # The command line's upload alone (the window stored the server in the preferences): its
    # upload command where it has one, else a build with --upload less the same build without.
    if "$cli_bin" upload --help >/dev/null 2>&1; then
      cli+=("$(time_ms "$cli_bin" upload "$work/p48.tnp" --dest "$work/g-up")")
    else
      both=$(time_ms "$cli_bin" build "$work/p48.tnp" --dest "$work/g-up" --jobs "$jobs" --upload)
      only_build=$(time_ms "$cli_bin" build "$work/p48.tnp" --dest "$work/g-up" --jobs "$jobs")
      cli+=("$((both - only_build))")
    fi
  done
  c=$(printf '%s\n' "${cli[@]}" | median) g=$(printf '%s\n' "${gui[@]}" | median)
  s=$(printf '%s\n' "${stalls[@]}" | sort -n | tail -n 1)
  echo "uploading the 48-picture gallery ($(find "$work/g-up" -type f | wc -l) files):" \
    "the command line ${c} ms, from the window ${g} ms, ratio $(ratio "$g" "$c") (target <= 1.05);" \
    "longest stall ${s} ms (target <= 50)"
fi

if want details; then
  # A 20-megapixel JPEG of about 20 MB: noise-like content compresses poorly.
  big=$work/big.jpg
  python3 - "$work/big.ppm" <<'PY'
import os, sys
w, h = 5472, 3648
with open(sys.argv[1], "wb") as f:
    f.write(b"P6\n%d %d\n255\n" % (w, h))
    f.write(os.urandom(w * h * 3))
PY
  cjpeg -quality 97 "$work/big.ppm" >"$big" && rm -f "$work/big.ppm"
  exiv2 -q -M"set Exif.Image.Make Quillon Optics" -M"set Exif.Image.Model QX-20" \
    -M"set Exif.Photo.ExposureTime 1/250" "$big"
  read -r data shown < <("$window_bench" details "$big")
  echo "details of a $(($(stat -c %s "$big") / 1000000)) MB JPEG: camera data shown after ${data} ms," \
    "the picture after ${shown} ms ($([ "$data" -lt "$shown" ] && echo "data first" || echo "NOT first"))"
fi
