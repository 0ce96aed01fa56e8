#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer + UndefinedBehaviorSanitizer and runs every
# test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSMX_SANITIZE=ON -DSMX_BUILD_TESTS=ON
cmake --build build/asan
# The embedded Firebird engine keeps static allocations and dynamic TLS alive at exit; the
# suppressions name only its libraries and GLib's slice allocator, so leaks of the suite's own code
# are still reported.
export LSAN_OPTIONS="use_tls=0:suppressions=$PWD/tests/lsan.supp"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build/asan --output-on-failure -j "$(nproc)"
