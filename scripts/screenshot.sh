#!/usr/bin/env bash
# Installs what is missing, builds (Release), makes the example in a temporary folder and takes a
# picture of the demo window after Extract and Compare, under a virtual X server:
#     bash scripts/screenshot.sh        -> build/screenshots/demo.png
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DSMX_BUILD_TESTS=OFF
cmake --build build/release --target schemalyst-demo-screenshot
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
bash demo/example/make-example.sh "$WORK/example"
bash demo/example/write-settings.sh "$WORK/example" "$WORK/Lirvendo.Ini"
mkdir -p build/screenshots
# The xcb platform draws as on a desktop; the offscreen one would draw without a real style.
cd "$WORK"
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1600x1000x24" \
  "$ROOT/build/release/demo/schemalyst-demo-screenshot" "$WORK/Lirvendo.Ini" "$ROOT/build/screenshots/demo.png"
