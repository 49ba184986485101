#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")"

scripts/deps.sh build
# Only the programs: the test suites and benchmarks need the test group's packages.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLON_TESTS=OFF -DQUILLON_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)"

if [ -x build/bin/quillon-gallery ]; then
  exec build/bin/quillon-gallery "$@"
fi

# Until the desktop window exists: show the command-line tool on the bundled sample project.
exec scripts/sample-demo.sh
