#!/usr/bin/env bash
# Extraction benchmark (./vx bench): one package of a generated corpus, extracted side by side by
#   baseline  plain zlib inflating every block into files (bench/baseline_inflate.cpp)
#   vxpack    vxpack extract (the launcher's extraction engine, Linux)
#   unzip     unzip of the same files zipped at the same level (-9)
#   wine      the launcher's UnpackPackage (Win32 host) under Wine (tests/wine/fixtures/benchunpack)
# and, once at the end, the launcher itself under Wine (extraction phase, timed from its trace lines).
# Every timed extraction writes into a new folder after a sync (so no run pays for the write-back
# of the one before); the methods take turns, in a rotated order each round.
# Settings: VX_BENCH_ROUNDS (3), VX_BENCH_BIG_MB (1024, size of the very compressible file).
# Usage: ./vx bench [all|extract|download]; all (the default) runs the download benchmark
# (bench/download.sh) after the extraction benchmark.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WHAT="${1:-all}"
case "$WHAT" in
  download) exec bash "$ROOT/bench/download.sh" ;;
  extract|all) ;;
  *) echo "usage: ./vx bench [all|extract|download]" >&2; exit 2 ;;
esac
source "$ROOT/scripts/common.sh"
source "$ROOT/scripts/wine_env.sh"

ROUNDS="${VX_BENCH_ROUNDS:-3}"
BIG_MB="${VX_BENCH_BIG_MB:-1024}"
B="$VX_BUILD/bench"
CORPUS="$B/corpus"
RUNS="$B/runs-$$"
RESULTS="$B/results.txt"
mkdir -p "$B"

log() { printf '[bench] %s\n' "$*" >&2; }

# ---- corpus, package and zip (the corpus and the zip are kept between runs) ----
if [ ! -f "$B/corpus.stamp" ] || [ "$(cat "$B/corpus.stamp")" != "$BIG_MB" ]; then
  log "writing the corpus ($BIG_MB MiB big file)"
  rm -rf "$CORPUS" "$B/corpus.zip"
  python3 "$ROOT/bench/make_corpus.py" "$CORPUS" "$BIG_MB"
  echo "$BIG_MB" > "$B/corpus.stamp"
fi
# The package's setup program (it ends at once) is part of the corpus, so every method writes the same files.
WTREE="$(vx_test_win_tree)"
vx_can_run_win32 || vx_build_win64 benchunpack vxstub
cp -f "$WTREE/benchunpack.exe" "$CORPUS/benchunpack.exe"
if [ ! -f "$B/corpus.zip" ] || [ "$CORPUS/benchunpack.exe" -nt "$B/corpus.zip" ]; then
  log "zipping the corpus (zip -9)"
  rm -f "$B/corpus.zip"
  (cd "$CORPUS" && zip -9 -r -q "$B/corpus.zip" .)
fi
log "building the package (launcher + corpus, level 9)"
cat > "$B/bench.ini" <<EOF
[package]
output=$B/bench.exe
launcher=$WTREE/vxstub.exe
files=$CORPUS
setup=benchunpack.exe
level=9
EOF
"$BUILD_HOST/vxpack" build "$B/bench.ini" | tail -n 1 >&2

BYTES=$(du -sb --apparent-size "$CORPUS" | cut -f1)
FILES=$(find "$CORPUS" -type f | wc -l)
PKG_BYTES=$(stat -c %s "$B/bench.exe")
ZIP_BYTES=$(stat -c %s "$B/corpus.zip")

mkdir -p "$RUNS"
trap 'wine_env_stop; rm -rf "$RUNS"' EXIT
wine_env_start
trap 'wine_env_stop; rm -rf "$RUNS"' EXIT
# Wine paths of the package and the run folder.
WPKG="Z:$(echo "$B/bench.exe" | tr / '\\')"
WRUNS="Z:$(echo "$RUNS" | tr / '\\')"
"$VX_WINE" "$WTREE/benchunpack.exe" >/dev/null 2>&1 || true  # warm the prefix up

# Highest VmHWM (peak resident set) of the processes whose command line holds $1, sampled
# until the file $2 exists.
sample_peak() {
  local pattern="$1" stop="$2" peak=0 p v
  while [ ! -e "$stop" ]; do
    for p in $(pgrep -f "$pattern" 2>/dev/null); do
      v=$(awk '/^VmHWM/ {print $2}' "/proc/$p/status" 2>/dev/null || echo 0)
      [ -n "$v" ] && [ "$v" -gt "$peak" ] && peak=$v
    done
    sleep 0.05
  done
  echo "$peak"
}

declare -A SECS PEAK USER
run_native() {  # name, round, command...
  local name="$1" r="$2"; shift 2
  local tf="$RUNS/time-$name-$r"
  sync
  /usr/bin/time -f "%e %M %U" -o "$tf" "$@" >/dev/null
  read -r s m u < "$tf"
  SECS[$name]="${SECS[$name]:-} $s"
  PEAK[$name]="${PEAK[$name]:-} $m"
  USER[$name]="${USER[$name]:-} $u"
}
run_wine_unpack() {  # round
  local r="$1" out="$RUNS/wine-$1" stop="$RUNS/stop-wine-$1" res peak
  sample_peak "benchunpack.exe unpack" "$stop" > "$RUNS/peak-wine-$r" &
  local sampler=$!
  sync
  res=$("$VX_WINE" "$WTREE/benchunpack.exe" unpack "$WPKG" "$WRUNS\\wine-$r" 2>/dev/null | tr -d '\r')
  touch "$stop"; wait "$sampler"
  peak=$(cat "$RUNS/peak-wine-$r")
  case "$res" in ms=*" ok=1 "*) ;; *) log "wine extraction failed: $res"; exit 1 ;; esac
  local ms=${res#ms=}; ms=${ms%% *}
  SECS[wine]="${SECS[wine]:-} $(awk -v m="$ms" 'BEGIN {printf "%.2f", m / 1000}')"
  PEAK[wine]="${PEAK[wine]:-} $peak"
}

run_method() {  # method, round
  case "$1" in
    baseline) run_native baseline "$2" "$BUILD_HOST/baseline_inflate" "$B/bench.exe" "$RUNS/baseline-$2" ;;
    vxpack) run_native vxpack "$2" "$BUILD_HOST/vxpack" extract "$B/bench.exe" "$RUNS/vxpack-$2" ;;
    unzip) run_native unzip "$2" unzip -q "$B/corpus.zip" -d "$RUNS/unzip-$2" ;;
    wine) run_wine_unpack "$2" ;;
  esac
}
METHODS=(baseline vxpack unzip wine)
for r in $(seq 1 "$ROUNDS"); do
  order=()
  for i in 0 1 2 3; do order+=("${METHODS[$(((i + r - 1) % 4))]}"); done
  log "round $r of $ROUNDS: ${order[*]}"
  for m in "${order[@]}"; do run_method "$m" "$r"; done
done
# Every method wrote the whole corpus.
for d in baseline-1 vxpack-1 unzip-1 wine-1; do
  got=$(du -sb --apparent-size "$RUNS/$d" | cut -f1)
  n=$(find "$RUNS/$d" -type f | wc -l)
  [ "$n" = "$FILES" ] || { log "$d holds $n files, expected $FILES"; exit 1; }
  [ $((got - BYTES)) -lt 1048576 ] && [ $((BYTES - got)) -lt 1048576 ] || { log "$d holds $got bytes, expected $BYTES"; exit 1; }
done
cmp -s "$RUNS/vxpack-1/big.log" "$CORPUS/big.log" && diff -rq "$RUNS/vxpack-1" "$CORPUS" >/dev/null \
  || { log "vxpack extract output differs from the corpus"; exit 1; }

log "the launcher under Wine (once)"
stop="$RUNS/stop-launcher"
sample_peak "bench.exe /hide" "$stop" > "$RUNS/peak-launcher" &
sampler=$!
sync
res=$("$VX_WINE" "$WTREE/benchunpack.exe" launcher "$WPKG" 2>/dev/null | tr -d '\r')
touch "$stop"; wait "$sampler"
case "$res" in ms=*) ;; *) log "launcher run failed: $res"; exit 1 ;; esac
ms=${res#ms=}; ms=${ms%% *}
SECS[launcher]=" "$(awk -v m="$ms" 'BEGIN {printf "%.2f", m / 1000}')
PEAK[launcher]=$(cat "$RUNS/peak-launcher")

best() { tr ' ' '\n' | sed '/^$/d' | sort -g | head -n 1; }
most() { tr ' ' '\n' | sed '/^$/d' | sort -g | tail -n 1; }
base=$(echo "${SECS[baseline]}" | best)
{
  printf 'Extraction benchmark  %s\n' "$(date -u '+%Y-%m-%d %H:%M UTC')"
  printf 'corpus: %d files, %.1f MiB (%d MiB in one very compressible file); package %.1f MiB (vxpack level 9), zip %.1f MiB (zip -9)\n' \
    "$FILES" "$(awk -v b="$BYTES" 'BEGIN {print b / 1048576}')" "$BIG_MB" \
    "$(awk -v b="$PKG_BYTES" 'BEGIN {print b / 1048576}')" "$(awk -v b="$ZIP_BYTES" 'BEGIN {print b / 1048576}')"
  printf 'best of %d rounds (all seconds: in brackets); throughput = extracted bytes / seconds\n\n' "$ROUNDS"
  printf '%-34s %8s %9s %12s %11s %9s   %s\n' "method" "seconds" "MiB/s" "vs baseline" "peak MiB" "user s" "runs"
  for m in baseline vxpack unzip wine launcher; do
    s=$(echo "${SECS[$m]}" | best)
    p=$(echo "${PEAK[$m]}" | most)
    u=$(echo "${USER[$m]:-}" | best)
    case $m in
      baseline) label="zlib inflate to files (baseline)" ;;
      vxpack) label="vxpack extract (Linux)" ;;
      unzip) label="unzip -q" ;;
      wine) label="UnpackPackage under Wine" ;;
      launcher) label="launcher under Wine (extraction)" ;;
    esac
    awk -v l="$label" -v s="$s" -v b="$BYTES" -v base="$base" -v p="$p" -v u="${u:--}" -v all="${SECS[$m]}" \
      'BEGIN {printf "%-34s %8.2f %9.1f %12.2f %11.1f %9s  [%s ]\n", l, s, b / 1048576 / s, base / s, p / 1024, u, all}'
  done
  printf '\npeak MiB: maximum resident set (/usr/bin/time -v for Linux programs; VmHWM of the Windows process\n'
  printf 'under Wine, which includes Wine'"'"'s own libraries). Launcher: from its "FileInfo.FilesCount=" trace line\n'
  printf 'to its ">>" setup line, less its fixed 1.5 s of waits; UnpackPackage less its fixed 0.5 s wait.\n'
  printf 'user s: CPU seconds in user mode (Linux programs; best run).\n'
} | tee "$RESULTS"
log "results in $RESULTS"
log "removing the extracted folders"
if [ "$WHAT" = all ]; then
  wine_env_stop
  bash "$ROOT/bench/download.sh"
fi
