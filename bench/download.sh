#!/usr/bin/env bash
# Download benchmark (./vx bench download; also run at the end of ./vx bench): one file of
# VX_BENCH_DL_MB MiB (200) from nginx on loopback, fetched in turns by
#   curl         natively
#   incremental  HTTP_DownloadFile_Incremental under Wine (tests/wine/fixtures/benchdownload)
#   wininet      a plain WinINet read loop under Wine: the same library without the launcher's code
# and once by the real web launcher under Wine (a web package of the same size), whose resident set
# is sampled while its partial file grows. Wine programs run from the tree vx_test_win_tree names
# with $VX_WINE (64-bit Wine where the machine cannot run 32-bit programs). Settings: VX_BENCH_ROUNDS (3), VX_BENCH_DL_MB (200).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/common.sh"
source "$ROOT/scripts/wine_env.sh"
source "$ROOT/scripts/net_servers.sh"

ROUNDS="${VX_BENCH_ROUNDS:-3}"
MB="${VX_BENCH_DL_MB:-200}"
B="$VX_BUILD/bench"
RUNS="$B/dl-runs-$$"
RESULTS="$B/download-results.txt"
FILE=bench_dl.bin
mkdir -p "$B" "$RUNS"
log() { printf '[bench] %s\n' "$*" >&2; }

# The Windows tree that runs here: the 32-bit one (built by ./vx), or the 64-bit one on a machine
# without 32-bit support, whose programs this benchmark needs are built now.
WTREE="$(vx_test_win_tree)"
vx_can_run_win32 || vx_build_win64 benchdownload benchunpack vxstub

net_servers_start
cleanup() { net_servers_stop; wine_env_stop; rm -rf "$RUNS"; }
trap cleanup EXIT
if [ "$(stat -c %s "$NET_WWW/$FILE" 2>/dev/null || echo 0)" != $((MB * 1048576)) ]; then
  log "writing the $MB MiB file"
  head -c $((MB * 1048576)) /dev/urandom > "$NET_WWW/$FILE"
fi
BYTES=$((MB * 1048576))
URL="$VX_TEST_HTTP/$FILE"
wine_env_start
trap cleanup EXIT
WRUNS="Z:$(echo "$RUNS" | tr / '\\')"
"$VX_WINE" "$WTREE/benchdownload.exe" wininet "$URL" "$WRUNS\\warm.bin" >/dev/null 2>&1 || true
rm -f "$RUNS/warm.bin"

declare -A SECS PEAK
run_curl() {
  local tf="$RUNS/time-curl"
  /usr/bin/time -f "%e %M" -o "$tf" curl -s -o "$RUNS/curl.bin" "$URL"
  read -r s m < "$tf"
  cmp -s "$RUNS/curl.bin" "$NET_WWW/$FILE" || { log "curl's copy differs"; exit 1; }
  rm -f "$RUNS/curl.bin"
  SECS[curl]="${SECS[curl]:-} $s"; PEAK[curl]="${PEAK[curl]:-} $m"
}
run_wine() {  # mode
  local res ms peak
  res=$("$VX_WINE" "$WTREE/benchdownload.exe" "$1" "$URL" "$WRUNS\\$1.bin" 2>/dev/null | tr -d '\r')
  case "$res" in *"bytes=$BYTES "*"error=") ;; *) log "$1 failed: $res"; exit 1 ;; esac
  cmp -s "$RUNS/$1.bin" "$NET_WWW/$FILE" || { log "the $1 copy differs"; exit 1; }
  rm -f "$RUNS/$1.bin"
  ms=${res#ms=}; ms=${ms%% *}
  peak=${res#*peak=}; peak=${peak%% *}
  SECS[$1]="${SECS[$1]:-} $(awk -v m="$ms" 'BEGIN {printf "%.2f", m / 1000}')"
  PEAK[$1]="${PEAK[$1]:-} $((peak / 1024))"
}
METHODS=(curl incremental wininet)
for r in $(seq 1 "$ROUNDS"); do
  order=()
  for i in 0 1 2; do order+=("${METHODS[$(((i + r - 1) % 3))]}"); done
  log "round $r of $ROUNDS: ${order[*]}"
  for m in "${order[@]}"; do
    case $m in curl) run_curl ;; *) run_wine "$m" ;; esac
  done
done

# The web launcher: a package of the same size, downloaded into Wine's temporary folder. Its
# resident set is sampled while the partial file exists; the run ends once the download is done.
log "the web launcher under Wine (once)"
PKG="$RUNS/pkg"; mkdir -p "$PKG"
ln -f "$NET_WWW/$FILE" "$PKG/$FILE" 2>/dev/null || cp "$NET_WWW/$FILE" "$PKG/$FILE"
cp -f "$WTREE/benchunpack.exe" "$PKG/benchunpack.exe"
cat > "$RUNS/web.ini" <<EOF
[package]
output=$NET_WWW/bench_web_full.exe
launcher=$WTREE/vxstub.exe
files=$PKG
setup=benchunpack.exe
level=1
[web]
url_folder=$VX_TEST_HTTP
token=BenchToken
launcher_output=$RUNS/bench_web.exe
EOF
"$BUILD_HOST/vxpack" build "$RUNS/web.ini" >/dev/null
WTEMP="$("$VX_WINE" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')"
UTEMP="$("$VX_WINE" winepath -u "$WTEMP" 2>/dev/null | tr -d '\r')"
[ -d "$UTEMP" ] || { log "Wine's temporary folder ($WTEMP) has no Linux path"; exit 1; }
rm -f "$UTEMP"/bench_web_full.exe*
"$VX_WINE" "$RUNS/bench_web.exe" >/dev/null 2>&1 &
WPID=$!
peak=0; started=""; t0=$(date +%s.%N); t1=""
while kill -0 "$WPID" 2>/dev/null; do
  part=$(ls "$UTEMP"/bench_web_full.exe.* 2>/dev/null | head -n 1 || true)
  if [ -n "$part" ]; then
    [ -n "$started" ] || started=$(date +%s.%N)
    v=$(awk '/^VmRSS/ {print $2}' "/proc/$WPID/status" 2>/dev/null || echo 0)
    [ -n "$v" ] && [ "$v" -gt "$peak" ] && peak=$v
  elif [ -n "$started" ]; then
    t1=$(date +%s.%N); break
  elif [ "$(awk -v a="$t0" -v b="$(date +%s.%N)" 'BEGIN {print (b - a > 600)}')" = 1 ]; then
    log "the launcher did not start its download within 600 s (a box waiting for an answer?)"; break
  fi
  sleep 0.2
done
# The download is done: the launcher now unpacks the package and runs its setup, which ends at
# once. It is left to end by itself; only when it hangs (a box waiting for an answer) is it ended,
# by its own process id.
for _ in $(seq 1 1500); do kill -0 "$WPID" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$WPID" 2>/dev/null; then
  log "the launcher did not end within 300 s: ending it"
  kill "$WPID" 2>/dev/null || true
fi
wait "$WPID" 2>/dev/null || true
rm -f "$UTEMP"/bench_web_full.exe* "$NET_WWW/bench_web_full.exe"
LSECS=""
[ -n "$t1" ] && LSECS=$(awk -v a="$started" -v b="$t1" 'BEGIN {printf "%.2f", b - a}')

best() { tr ' ' '\n' | sed '/^$/d' | sort -g | head -n 1; }
most() { tr ' ' '\n' | sed '/^$/d' | sort -g | tail -n 1; }
curl_s=$(echo "${SECS[curl]}" | best)
raw_s=$(echo "${SECS[wininet]}" | best)
{
  printf 'Download benchmark  %s\n' "$(date -u '+%Y-%m-%d %H:%M UTC')"
  printf '%d MiB from nginx on loopback (HTTP); best of %d rounds, methods in turns (all seconds in brackets)\n\n' \
    "$MB" "$ROUNDS"
  printf '%-40s %8s %9s %9s %11s %10s   %s\n' method seconds MB/s "vs curl" "vs WinINet" "peak MiB" runs
  for m in curl incremental wininet; do
    s=$(echo "${SECS[$m]}" | best); p=$(echo "${PEAK[$m]}" | most)
    case $m in
      curl) label="curl (Linux)" ;;
      incremental) label="HTTP_DownloadFile_Incremental (Wine)" ;;
      wininet) label="plain WinINet loop (Wine)" ;;
    esac
    awk -v l="$label" -v s="$s" -v b="$BYTES" -v c="$curl_s" -v w="$raw_s" -v p="$p" -v all="${SECS[$m]}" \
      'BEGIN {printf "%-40s %8.2f %9.1f %9.2f %11.2f %10.1f  [%s ]\n", l, s, b / 1e6 / s, c / s, w / s, p / 1024, all}'
  done
  if [ -n "$LSECS" ]; then
    awk -v s="$LSECS" -v b="$BYTES" -v c="$curl_s" -v w="$raw_s" -v p="$peak" \
      'BEGIN {printf "%-40s %8.2f %9.1f %9.2f %11.2f %10.1f  (once; timed by polling)\n", "web launcher download (Wine)", s, b / 1e6 / s, c / s, w / s, p / 1024}'
  else
    printf '%-40s   (no download seen)\n' "web launcher download (Wine)"
  fi
  printf '\nMB/s: 10^6 bytes per second. peak MiB: curl: maximum resident set; Wine methods: the process'"'"'s\n'
  printf 'peak working set as Wine reports it; web launcher: highest resident set of its process sampled\n'
  printf 'every 0.2 s while its partial file existed (Wine'"'"'s own libraries included).\n'
} | tee "$RESULTS"
log "results in $RESULTS"
