#!/usr/bin/env bash
# Installs what is missing, builds the suite (Release) and starts the demo program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DSMX_BUILD_TESTS=OFF
cmake --build build/release
if [ -x build/release/demo/schemalyst-demo ]; then
  exec build/release/demo/schemalyst-demo "$@"
else
  echo "Libraries built in build/release."
fi
