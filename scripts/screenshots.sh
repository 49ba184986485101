#!/bin/sh
# Saves a picture of every window, step page, option page and dialog into docs/screenshots/,
# drawn by a real X server (Xvfb) at the system font, so they can be looked at for clipping and
# overlaps. Builds the window tests first.
set -eu
cd "$(dirname "$0")/.."
scripts/deps.sh shots >/dev/null
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target app_tests >/dev/null
mkdir -p docs/screenshots
export QG_SCREENSHOT_DIR="$PWD/docs/screenshots"
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1280x1024x24" \
  build/tests/app_tests --gtest_filter='Screenshots.*' --gtest_brief=1
ls docs/screenshots
