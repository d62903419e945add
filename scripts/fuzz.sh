#!/usr/bin/env bash
# Builds the fuzz programs (tests/fuzz) with clang and runs each target for SECONDS (default 60),
# one after the other, then prints target | executions | findings. Inputs found to add coverage
# collect in build/fuzz/corpus/<target>, the checked-in seeds (tests/fuzz/corpus/<target>) are
# read but never written; an input that breaks something is kept in build/fuzz/findings/<target>/.
# Usage: ./vx fuzz [SECONDS] [TARGET...]
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/common.sh"

BUILD_FUZZ="$VX_BUILD/fuzz"
FUZZ_SRC="$ROOT/tests/fuzz"
seconds="${1:-60}"
[ $# -gt 0 ] && shift
case "$seconds" in ''|*[!0-9]*) echo "usage: ./vx fuzz [SECONDS] [TARGET...]" >&2; exit 2 ;; esac

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$FUZZ_SRC"/targets/*_target.cpp; do n="$(basename "$f" _target.cpp)"; targets+=("$n"); done
fi

cmake -S "$FUZZ_SRC" -B "$BUILD_FUZZ" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null || exit 1
cmake --build "$BUILD_FUZZ" -j "$(nproc)" --target "${targets[@]/#/fuzz_}" || exit 1

# Per-target options. The macro target's inputs stay short: expanding relative paths in a long
# list takes time that grows with the cube of its length.
options_for() {
  case "$1" in
    macros) echo "-max_len=512" ;;
  esac
}

# A smaller quarantine and shorter allocation stacks: the targets allocate many small texts.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1:quarantine_size_mb=16:malloc_context_size=8}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
status=0
rows=()
for t in "${targets[@]}"; do
  prog="$BUILD_FUZZ/fuzz_$t"
  [ -x "$prog" ] || { echo "no fuzz target $t" >&2; exit 2; }
  corpus="$BUILD_FUZZ/corpus/$t"; findings="$BUILD_FUZZ/findings/$t"; log="$BUILD_FUZZ/logs/$t.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  before=$(find "$findings" -type f | wc -l)
  dict=()
  [ -f "$FUZZ_SRC/dict/$t.dict" ] && dict=("-dict=$FUZZ_SRC/dict/$t.dict")
  vx_log "fuzzing $t for $seconds s"
  # shellcheck disable=SC2046
  "$prog" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
          -artifact_prefix="$findings/" "${dict[@]}" $(options_for "$t") \
          "$corpus" "$FUZZ_SRC/corpus/$t" > "$log" 2>&1
  rc=$?
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' | tail -1)
  found=$(( $(find "$findings" -type f | wc -l) - before ))
  if [ $rc -ne 0 ] && [ "$found" -eq 0 ]; then found=1; fi
  [ "$found" -eq 0 ] || { status=1; grep -m 3 -E 'ERROR|runtime error|property broken' "$log" | sed "s/^/   [$t] /"; }
  rows+=("$(printf '%-10s | %12s | %s' "$t" "${runs:-?}" "$found")")
done

printf '%-10s | %12s | %s\n' target executions findings
for r in "${rows[@]}"; do echo "$r"; done
[ $status -eq 0 ] || echo "findings and logs: $BUILD_FUZZ/findings, $BUILD_FUZZ/logs"
exit $status
