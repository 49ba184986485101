#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest.
#   ./test.sh             ordinary build in build/, then the bounded fuzz runs in build-fuzz/
#   ./test.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-sanitize/
#   ./test.sh --no-fuzz   skip the bounded libFuzzer runs
set -euo pipefail
cd "$(dirname "$0")"

sanitize=0
fuzz=1
for arg in "$@"; do
  case "$arg" in
    --sanitize) sanitize=1 ;;
    --no-fuzz) fuzz=0 ;;
    *) echo "usage: ./test.sh [--sanitize] [--no-fuzz]" >&2; exit 2 ;;
  esac
done

scripts/deps.sh build test
jobs=$(nproc)

scripts/check-format.sh
scripts/check-layers.sh

if [ "$sanitize" -eq 1 ]; then
  dir=build-sanitize
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_SANITIZE=ON -DQUILLON_BENCH=OFF
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
else
  dir=build
  # ./run.sh may have configured build/ without the tests: turn them back on.
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_TESTS=ON -DQUILLON_BENCH=ON
fi
cmake --build "$dir" -j"$jobs"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 600

# Bounded coverage-guided runs of every parser fuzz target (libFuzzer needs clang).
if [ "$fuzz" -eq 1 ] && [ "$sanitize" -eq 0 ]; then
  cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_LIBFUZZER=ON \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
  cmake --build build-fuzz -j"$jobs" --target fuzz_all
  ctest --test-dir build-fuzz --output-on-failure -j"$jobs" --timeout 900
fi
