#!/usr/bin/env bash
# Builds the libFuzzer target of the InterBase script parser with clang (AddressSanitizer and UBSan)
# and runs it in parallel on a copy of the seed corpus:
#     bash scripts/fuzz.sh [runs per job, default 3400000] [jobs, default 3]
# Inputs that crash land in the work folder's artifacts/; each belongs in tests/parsing/fuzz/corpus/.
# At the end it prints the commit fuzzed, the executions of each job and of all, the artifacts found
# (crash, leak, timeout, OOM) with a verdict line and, from one pass over the grown corpus, the
# functions and edges covered per parser file.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
RUNS=${1:-3400000}
JOBS=${2:-3}
ROOT=$PWD
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSMX_FUZZ=ON \
  -DSMX_BUILD_TESTS=ON
cmake --build build/fuzz --target ib_parser_fuzz -j "$JOBS"
WORK=$(mktemp -d)
mkdir -p "$WORK/corpus" "$WORK/artifacts"
cp tests/parsing/fuzz/corpus/* "$WORK/corpus/"
export LSAN_OPTIONS="use_tls=0:suppressions=$ROOT/tests/lsan.supp"
# A smaller quarantine and no fill of fresh blocks roughly double the speed; use-after-free is still
# caught within the quarantine's reach.
export ASAN_OPTIONS="max_malloc_fill_size=0:quarantine_size_mb=32"
cd "$WORK"
"$ROOT/build/fuzz/tests/parsing/ib_parser_fuzz" -dict="$ROOT/tests/parsing/fuzz/ib_sql.dict" -timeout=10 \
  -max_len=1024 -print_funcs=0 -runs="$RUNS" -jobs="$JOBS" -workers="$JOBS" -artifact_prefix="$WORK/artifacts/" corpus
# A job that stopped on a finding prints no "Done" line: its executions are those of its last status
# line, and it is named.
Total=0
Complete=1
for Log in fuzz-*.log; do
  Runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$Log")
  if [ -z "$Runs" ]; then
    Complete=0
    Runs=$(sed -n 's/^#\([0-9]*\)\t.*/\1/p' "$Log" | tail -1)
    echo "$Log stopped early: $(grep -m1 -E '^==[0-9]+==ERROR|^SUMMARY|invariant broken|exception escaped|ALARM|out-of-memory' "$Log" || echo 'no finding named')"
  fi
  echo "$Log executions: ${Runs:-0}"
  Total=$((Total + ${Runs:-0}))
done
echo "Code: $(git -C "$ROOT" rev-parse --short HEAD)$(git -C "$ROOT" diff --quiet HEAD -- . || echo ' with uncommitted changes')"
echo "Executions: $Total in $JOBS jobs"
echo "Artifacts: $(ls artifacts | wc -l) $(ls artifacts | tr '\n' ' ')"
if [ "$(ls artifacts | wc -l)" -eq 0 ] && [ "$Complete" -eq 1 ]; then
  echo "Result: no crash, leak, timeout or OOM"
else
  echo "Result: FINDINGS (see the artifacts and the logs in the work folder)"
fi
"$ROOT/build/fuzz/tests/parsing/ib_parser_fuzz" -runs=0 -print_coverage=1 corpus > coverage.txt 2>&1
awk '/^(UN)?COVERED_FUNC:/ && $NF ~ /\/parsing\/smx/ {
       split($NF, Place, ":"); n = split(Place[1], Path, "/"); File = Path[n]; split($5, E, "/")
       Funcs[File]++; if ($1 == "COVERED_FUNC:") Hit[File]++; Edges[File] += E[1]; All[File] += E[2] }
     END { for (F in Funcs) printf "%-28s functions %4d/%-4d edges %5d/%d\n", F, Hit[F], Funcs[F], Edges[F], All[F] }' \
  coverage.txt | sort
echo "Work folder: $WORK"
