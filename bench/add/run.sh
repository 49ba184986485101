#!/usr/bin/env bash
# Adding pictures: ReadPictureInfo over 500 twelve-megapixel JPEGs (the shared photo cache cycled),
# with the read-the-bytes floor, libjpeg's coefficient pass and the full decode measured in the
# same run for comparison. See add_bench.cpp for what each line means.
# Usage: bench/add/run.sh     BUILD_DIR (default build/); PHOTOS (default 24) distinct pictures;
#                             COUNT (default 500) pictures measured.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/deps.sh" build bench
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_add >/dev/null
photos=$("$root/bench/make-photos.sh" "${PHOTOS:-24}")
mapfile -t files < <(find "$photos" -name 'photo-*.jpg' | sort | head -n "${PHOTOS:-24}")
"$build/bench/add/bench_add" --count "${COUNT:-500}" "${files[@]}"
