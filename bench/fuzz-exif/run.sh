#!/usr/bin/env bash
# Long coverage-guided run of the camera data reader's fuzz target under AddressSanitizer and
# UndefinedBehaviorSanitizer, in its own build folder (build-fuzz-exif, or $QG_FUZZ_BUILD).
#   bench/fuzz-exif/run.sh --time SECONDS     run for that long (default 600)
#   bench/fuzz-exif/run.sh --runs N           run N executions
#   extra arguments after -- go to libFuzzer unchanged
# One process in the foreground (the machine is shared); new inputs go to build-fuzz-exif/corpus-work, the
# seeds in fuzz/exif/corpus are read but never changed. Crashes land in build-fuzz-exif/.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${QG_FUZZ_BUILD:-$root/build-fuzz-exif}"

limit=(-max_total_time=600)
extra=()
while [ $# -gt 0 ]; do
  case "$1" in
    --time) limit=(-max_total_time="$2"); shift 2 ;;
    --runs) limit=(-runs="$2"); shift 2 ;;
    --) shift; extra=("$@"); break ;;
    *) echo "usage: bench/fuzz-exif/run.sh [--time SECONDS | --runs N] [-- libFuzzer options]" >&2; exit 2 ;;
  esac
done

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_LIBFUZZER=ON \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 --target fuzz_exif
work="$build/corpus-work"
mkdir -p "$work"
cd "$build"
exec "$build/bin/fuzz_exif" "${limit[@]}" -max_len=65536 -timeout=10 \
     -print_final_stats=1 "${extra[@]}" "$work" "$root/fuzz/exif/corpus"
