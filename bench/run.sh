#!/usr/bin/env bash
# Extraction benchmark (./vx bench): two corpora (bench/make_corpus.py), each packed by vxpack and
# extracted side by side by
#   baseline  plain zlib inflating every block into files (bench/baseline_inflate.cpp), Linux
#   vxpack    vxpack extract (the launcher's extraction engine, Linux)
#   unzip     unzip of the same files zipped at the same level (-9)
#   winbase   the same plain zlib extractor built with MinGW, under Wine: the Wine baseline
#   wine      the launcher's UnpackPackage (Win32 host) under Wine (tests/wine/fixtures/benchunpack)
#   launcher  the launcher itself under Wine (extraction phase, timed from its trace lines)
# The many-files corpus holds some 2,700 files and 280 MiB (the cost per file decides there); the
# mixed corpus is the same with one very compressible file of VX_BENCH_BIG_MB MiB added.
# Every timed extraction writes into a new folder after a sync (so no run pays for the write-back
# of the one before); the methods take turns, in a rotated order each round. The launcher gets a
# new temporary folder (TMP and TEMP) each run for its work folder: on this disk's ext4 (no
# journal) files made where many files were deleted within the last minutes are slow to create
# (the free inodes are searched past the recently deleted ones), and the launcher deletes its work
# folder after every run, so the same work folder again would time the file system.
# Then the package checksum's throughput over a cached file of the checksum's largest size, natively
# (bench/checksum_rate.cpp) and under Wine as extraction reads pieces (benchunpack checksum).
# Wine programs run from the tree vx_test_win_tree names, with $VX_WINE (64-bit Wine where the
# machine cannot run 32-bit programs).
# Settings: VX_BENCH_ROUNDS (3), VX_BENCH_BIG_MB (1024, size of the very compressible file),
# VX_BENCH_CORPORA ("many mixed", the corpora to run).
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
CHECKSUM_ROUNDS=5
B="$VX_BUILD/bench"
RUNS="$B/runs-$$"
RESULTS="$B/results.txt"
read -r -a CORPORA <<< "${VX_BENCH_CORPORA:-many mixed}"
mkdir -p "$B"
rm -rf "$B/corpus" "$B/corpus.zip" "$B/corpus.stamp" "$B/bench.exe" "$B/bench.ini"  # an older layout

log() { printf '[bench] %s\n' "$*" >&2; }
wpath() { echo "Z:$(echo "$1" | tr / '\\')"; }

# ---- corpora, packages and zips (corpora and zips are kept between runs) ----
WTREE="$(vx_test_win_tree)"
vx_can_run_win32 || vx_build_win64 benchunpack baseline_inflate vxstub
declare -A BIG_OF=([mixed]="$BIG_MB" [many]=0)
for c in "${CORPORA[@]}"; do
  d="$B/$c"
  mkdir -p "$d"
  if [ ! -f "$d/stamp" ] || [ "$(cat "$d/stamp")" != "${BIG_OF[$c]}" ]; then
    log "writing the $c corpus"
    rm -rf "$d/corpus" "$d/corpus.zip"
    python3 "$ROOT/bench/make_corpus.py" "$d/corpus" "${BIG_OF[$c]}"
    echo "${BIG_OF[$c]}" > "$d/stamp"
  fi
  # The package's setup program (it ends at once) is part of the corpus, so every method writes
  # the same files.
  cp -f "$WTREE/benchunpack.exe" "$d/corpus/benchunpack.exe"
  if [ ! -f "$d/corpus.zip" ] || [ "$d/corpus/benchunpack.exe" -nt "$d/corpus.zip" ]; then
    log "zipping the $c corpus (zip -9)"
    rm -f "$d/corpus.zip"
    (cd "$d/corpus" && zip -9 -r -q "$d/corpus.zip" .)
  fi
  log "building the $c package (launcher + corpus, level 9)"
  cat > "$d/bench.ini" <<EOF
[package]
output=$d/bench-$c.exe
launcher=$WTREE/vxstub.exe
files=$d/corpus
setup=benchunpack.exe
level=9
EOF
  "$BUILD_HOST/vxpack" build "$d/bench.ini" | tail -n 1 >&2
done

mkdir -p "$RUNS"
trap 'wine_env_stop; rm -rf "$RUNS"' EXIT
wine_env_start
trap 'wine_env_stop; rm -rf "$RUNS"' EXIT
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

# Results by "corpus/method": seconds of every run, peak KiB, user seconds.
declare -A SECS PEAK USER
add_secs() { SECS[$1]="${SECS[$1]:-} $(awk -v m="$2" 'BEGIN {printf "%.2f", m / 1000}')"; }
run_native() {  # key, round, command...
  local key="$1" r="$2"; shift 2
  local tf="$RUNS/time-${key//\//-}-$r"
  sync
  /usr/bin/time -f "%e %M %U" -o "$tf" "$@" >/dev/null
  read -r s m u < "$tf"
  SECS[$key]="${SECS[$key]:-} $s"
  PEAK[$key]="${PEAK[$key]:-} $m"
  USER[$key]="${USER[$key]:-} $u"
}
# A Windows program under Wine whose output holds "ms=<milliseconds>" (timed inside the process,
# so Wine's process start is not counted) and, when ok is given, that text too.
run_wine() {  # key, round, peak pattern, ok text, program, arguments...
  local key="$1" r="$2" pattern="$3" ok="$4"; shift 4
  local stop="$RUNS/stop-${key//\//-}-$r" res sampler ms
  sample_peak "$pattern" "$stop" > "$stop.peak" &
  sampler=$!
  sync
  res=$("$VX_WINE" "$@" 2>/dev/null | tr -d '\r') || true
  touch "$stop"; wait "$sampler"
  case "$res" in *ms=*"$ok"*) ;; *) log "$key failed: $res"; exit 1 ;; esac
  ms=${res#*ms=}; ms=${ms%% *}
  add_secs "$key" "$ms"
  PEAK[$key]="${PEAK[$key]:-} $(cat "$stop.peak")"
}

run_method() {  # corpus, method, round
  local c="$1" m="$2" r="$3" pkg="$B/$1/bench-$1.exe" out="$RUNS/$1-$2-$3"
  case "$m" in
    baseline) run_native "$c/$m" "$r" "$BUILD_HOST/baseline_inflate" "$pkg" "$out" ;;
    vxpack) run_native "$c/$m" "$r" "$BUILD_HOST/vxpack" extract "$pkg" "$out" ;;
    unzip) run_native "$c/$m" "$r" unzip -q "$B/$c/corpus.zip" -d "$out" ;;
    winbase) run_wine "$c/$m" "$r" "baseline_inflate.exe" " bytes" "$WTREE/baseline_inflate.exe" \
               "$(wpath "$pkg")" "$(wpath "$out")" ;;
    wine) run_wine "$c/$m" "$r" "benchunpack.exe unpack" " ok=1 " "$WTREE/benchunpack.exe" unpack \
            "$(wpath "$pkg")" "$(wpath "$out")" ;;
    # The launcher extracts into its work folder below the temporary folder and deletes it when
    # done; a new temporary folder each run gives it a new folder as every other method has.
    launcher) run_wine "$c/$m" "$r" "bench-$c.exe /hide" " total=" "$WTREE/benchunpack.exe" launcher \
                "$(wpath "$pkg")" "$(wpath "$out")" ;;
  esac
}

ROUND_METHODS=(baseline vxpack unzip winbase wine launcher)
for c in "${CORPORA[@]}"; do
  methods=("${ROUND_METHODS[@]}")
  n=${#methods[@]}
  for r in $(seq 1 "$ROUNDS"); do
    order=()
    for i in $(seq 0 $((n - 1))); do order+=("${methods[$(((i + r - 1) % n))]}"); done
    log "$c corpus, round $r of $ROUNDS: ${order[*]}"
    for m in "${order[@]}"; do run_method "$c" "$m" "$r"; done
  done
  # Every method wrote the whole corpus (the launcher removes its work folder itself).
  files=$(find "$B/$c/corpus" -type f | wc -l)
  bytes=$(du -sb --apparent-size "$B/$c/corpus" | cut -f1)
  for m in baseline vxpack unzip winbase wine; do
    got=$(du -sb --apparent-size "$RUNS/$c-$m-1" | cut -f1)
    k=$(find "$RUNS/$c-$m-1" -type f | wc -l)
    [ "$k" = "$files" ] || { log "$c-$m-1 holds $k files, expected $files"; exit 1; }
    [ $((got - bytes)) -lt 1048576 ] && [ $((bytes - got)) -lt 1048576 ] \
      || { log "$c-$m-1 holds $got bytes, expected $bytes"; exit 1; }
  done
  for m in vxpack winbase; do
    diff -rq "$RUNS/$c-$m-1" "$B/$c/corpus" >/dev/null || { log "$c-$m-1 differs from the corpus"; exit 1; }
  done
  [ "$c" = mixed ] || rm -rf "$RUNS/$c"-*-[2-9]  # disk space; the mixed corpus runs last
done

log "package checksum over a cached file"
CSUM="$B/checksum.bin"
head -c 52428800 "$B/${CORPORA[0]}/bench-${CORPORA[0]}.exe" > "$CSUM"
declare -A GBPS
res=$("$BUILD_HOST/checksum_rate" "$CSUM" "$CHECKSUM_ROUNDS")
GBPS[native]=$(echo "$res" | sed -n 's/.*gbps=\([0-9.]*\).*/\1/p')
res=$("$VX_WINE" "$WTREE/benchunpack.exe" checksum "$(wpath "$CSUM")" "$CHECKSUM_ROUNDS" 2>/dev/null | tr -d '\r')
GBPS[wine]=$(echo "$res" | sed -n 's/.*gbps=\([0-9.]*\).*/\1/p')
[ -n "${GBPS[native]}" ] && [ -n "${GBPS[wine]}" ] || { log "checksum timing failed: $res"; exit 1; }

best() { tr ' ' '\n' | sed '/^$/d' | sort -g | head -n 1; }
most() { tr ' ' '\n' | sed '/^$/d' | sort -g | tail -n 1; }
label() {
  case $1 in
    baseline) echo "zlib inflate to files (baseline)" ;;
    vxpack) echo "vxpack extract (Linux)" ;;
    unzip) echo "unzip -q" ;;
    winbase) echo "zlib inflate under Wine (baseline)" ;;
    wine) echo "UnpackPackage under Wine" ;;
    launcher) echo "launcher under Wine (extraction)" ;;
  esac
}
{
  printf 'Extraction benchmark  %s\n' "$(date -u '+%Y-%m-%d %H:%M UTC')"
  printf 'best of %d rounds (all seconds in brackets);\n' "$ROUNDS"
  printf 'throughput = extracted bytes / seconds; vs baseline: Linux rows against the Linux baseline,\n'
  printf 'Wine rows against the Wine baseline (the same zlib extractor built with MinGW), all in the same rounds\n'
  for c in "${CORPORA[@]}"; do
    files=$(find "$B/$c/corpus" -type f | wc -l)
    bytes=$(du -sb --apparent-size "$B/$c/corpus" | cut -f1)
    pkg=$(stat -c %s "$B/$c/bench-$c.exe")
    zipb=$(stat -c %s "$B/$c/corpus.zip")
    echo
    if [ "$c" = mixed ]; then
      printf 'mixed corpus: %d files, %.1f MiB (%d MiB in one very compressible file)' "$files" \
        "$(awk -v b="$bytes" 'BEGIN {print b / 1048576}')" "$BIG_MB"
    else
      printf 'many-files corpus: %d files, %.1f MiB (no file above 20 MiB)' "$files" \
        "$(awk -v b="$bytes" 'BEGIN {print b / 1048576}')"
    fi
    printf '; package %.1f MiB (vxpack level 9), zip %.1f MiB (zip -9)\n' \
      "$(awk -v b="$pkg" 'BEGIN {print b / 1048576}')" "$(awk -v b="$zipb" 'BEGIN {print b / 1048576}')"
    printf '%-36s %8s %9s %12s %11s %9s   %s\n' "method" "seconds" "MiB/s" "vs baseline" "peak MiB" "user s" "runs"
    for m in baseline vxpack unzip winbase wine launcher; do
      case $m in baseline|vxpack|unzip) base_key="$c/baseline" ;; *) base_key="$c/winbase" ;; esac
      base=$(echo "${SECS[$base_key]}" | best)
      s=$(echo "${SECS[$c/$m]}" | best)
      p=$(echo "${PEAK[$c/$m]}" | most)
      u=$(echo "${USER[$c/$m]:-}" | best)
      awk -v l="$(label $m)" -v s="$s" -v b="$bytes" -v base="$base" -v p="$p" -v u="${u:--}" \
        -v all="${SECS[$c/$m]}" \
        'BEGIN {printf "%-36s %8.2f %9.1f %12.2f %11.1f %9s  [%s ]\n", l, s, b / 1048576 / s, base / s, p / 1024, u, all}'
    done
  done
  echo
  printf 'package checksum over a cached file of 50 MiB (its size limit), best of %d\n' "$CHECKSUM_ROUNDS"
  printf '%-36s %8s %12s\n' "reader" "GB/s" "vs 5 GB/s"
  awk -v l="Linux (FileSource)" -v g="${GBPS[native]}" 'BEGIN {printf "%-36s %8.2f %12.2f\n", l, g, g / 5}'
  awk -v l="under Wine (extraction's piece file)" -v g="${GBPS[wine]}" \
    'BEGIN {printf "%-36s %8.2f %12.2f\n", l, g, g / 5}'
  printf '\npeak MiB: maximum resident set (/usr/bin/time -v for Linux programs; VmHWM of the Windows process\n'
  printf 'under Wine, which includes Wine'"'"'s own libraries). Wine rows are timed inside the process (no\n'
  printf 'process start). Launcher: from its "FileInfo.FilesCount=" trace line to its ">>" setup line, less\n'
  printf 'its fixed 1.5 s of waits, with a new temporary folder each run; UnpackPackage less its fixed 0.5 s wait.\n'
  printf 'user s: CPU seconds in user mode (Linux programs; best run).\n'
} | tee "$RESULTS"
log "results in $RESULTS"
log "removing the extracted folders"
if [ "$WHAT" = all ]; then
  wine_env_stop
  bash "$ROOT/bench/download.sh"
fi
