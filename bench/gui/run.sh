#!/usr/bin/env bash
# The desktop program's speed targets, as ratios measured in one run on this machine:
# - start to the first shown window: quillon-gallery's window against a bare Qt Widgets program
#   (median of RUNS starts each; target at most 1.5 x);
# - adding 1,000 twelve-megapixel JPEGs through the window against `quillon-cli add` of the same
#   files (target at most 1.2 x).
# Runs offscreen unless QT_QPA_PLATFORM says otherwise.
# Usage: bench/gui/run.sh     BUILD_DIR (default build/); RUNS (default 15); COUNT (default 1000)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build}
runs=${RUNS:-15}
count=${COUNT:-1000}
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

"$build/bench/gui/bench_gui_window" start >/dev/null  # first run writes the preferences; not counted
bare=$(for _ in $(seq "$runs"); do start_ms "$build/bench/gui/bench_gui_bare"; done | median)
window=$(for _ in $(seq "$runs"); do start_ms "$build/bench/gui/bench_gui_window" start; done | median)
echo "start to first window: bare Qt ${bare} ms, quillon-gallery ${window} ms," \
  "ratio $(awk -v a="$window" -v b="$bare" 'BEGIN {printf "%.2f", a / b}') (target <= 1.5)"

photos=$("$root/bench/make-photos.sh" 24)
mapfile -t sources < <(find "$photos" -name 'photo-*.jpg' | sort)
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
