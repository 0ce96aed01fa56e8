#!/usr/bin/env bash
# Installs what is missing, builds the suite (Release) and starts the demo program on the example
# in build/release/demo/example (made on first start; delete that folder to reset it). The program
# runs in build/release/demo, so Result.SQL, Result.LOB and Lirvendo.Ini lie there together.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DSMX_BUILD_TESTS=OFF
cmake --build build/release
DEMO=build/release/demo
if [ ! -x "$DEMO/schemalyst-demo" ]; then
  echo "Libraries built in build/release."
  exit 0
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display. Set DISPLAY to an X server, or see scripts/screenshot.sh for a picture of the window." >&2
  exit 1
fi
bash demo/example/make-example.sh "$DEMO/example"
bash demo/example/write-settings.sh "$DEMO/example" "$DEMO/Lirvendo.Ini"
cd "$DEMO"
exec ./schemalyst-demo "$@"
