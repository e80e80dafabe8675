#!/usr/bin/env bash
# Builds the benchmarks (Release, in build-bench/) and runs every one of them, then prints one
# table: figure, value, baseline measured in the same run, ratio and target, met or not.
# Each benchmark starts its own Dovecot where it needs one; nothing is started by hand.
# Benchmarks report figures, they do not fail on them.
#   BENCH_JOBS=n   parallel build jobs (default: the number of cores)
#   BENCH_ROUNDS=n rounds of P1 (default 60, at least 50)
set -uo pipefail
cd "$(dirname "$0")/.."

build=build-bench
logs=$build/bench-results
jobs=${BENCH_JOBS:-$(nproc)}
rounds=${BENCH_ROUNDS:-60}

echo "== Machine"
echo "  CPU:    $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
echo "  cores:  $(grep -c '^processor' /proc/cpuinfo) logical ($(nproc) usable)"
echo "  RAM:    $(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)"
echo "  kernel: $(uname -r); load average: $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== Building (Release, $build, $jobs jobs)"
if ! cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DJUNKBANE_TESTS=ON \
     -DJUNKBANE_TEST_DIRS=integration -DJUNKBANE_BENCH=ON >"$build.configure.log" 2>&1; then
  cat "$build.configure.log"
  echo "Configuring failed." >&2
  exit 1
fi
if ! cmake --build "$build" --target junkbane_benchmarks -j "$jobs" >"$build.build.log" 2>&1; then
  tail -n 40 "$build.build.log"
  echo "Building the benchmarks failed (whole log: $build.build.log)." >&2
  exit 1
fi
mkdir -p "$logs"
rows=()

# run ID LOG COMMAND...: runs one benchmark, shows its detail, keeps its table rows.
run() {
  local id=$1 log=$2
  shift 2
  echo
  echo "== $id: $*"
  "$@" >"$logs/$log" 2>&1
  local rc=$?
  grep -v '^BENCH|' "$logs/$log"
  if [ $rc -ne 0 ]; then
    rows+=("$id|FAILED (exit $rc), see $logs/$log|-|-|-|no")
  fi
  while IFS= read -r line; do rows+=("${line#BENCH|}"); done < <(grep '^BENCH|' "$logs/$log")
}

if [ -x "$build/bench/sweep/bench_sweep_step" ]; then
  run P1 p1.log "$build/bench/sweep/bench_sweep_step" "$rounds"
  run P2 p2.log "$build/bench/sweep/bench_sweep_memory"
else
  echo
  echo "== P1, P2 not built: the Dovecot fixture (junkbane_dovecot_fixture) exists only when the"
  echo "   tests are built with tests/integration (JUNKBANE_TESTS=ON)."
  rows+=("P1|not built: no Dovecot fixture (JUNKBANE_TESTS=OFF)|-|-|-|-")
  rows+=("P2|not built: no Dovecot fixture (JUNKBANE_TESTS=OFF)|-|-|-|-")
fi

if [ -x "$build/bin/bench_store_open" ]; then
  run P3 p3.log "$build/bin/bench_store_open"
  first=$(awk '/first open in the process/ {print $NF}' "$logs/p3.log")
  later=$(awk '/later opens/ {print $NF}' "$logs/p3.log")
  base=$(awk '/baseline: SQLCipher open/ {print $NF}' "$logs/p3.log")
  if [ -n "$first" ] && [ -n "$later" ] && [ -n "$base" ]; then
    rows+=("P3|DbOpen + first statement, first open|$first ms|$base ms SQLCipher open|-|-")
    met=$(awk -v a="$later" 'BEGIN {print (a <= 3 ? "yes" : "NO")}')
    rows+=("P3|DbOpen + first statement, later opens|$later ms|$base ms SQLCipher open|$(awk -v a="$later" -v b="$base" 'BEGIN {printf "%.0fx faster (target <= 3 ms)", b / a}')|$met")
  fi
fi

run P4 p4.log "$build/bench/lookup/bench_block_lookup"

if [ -x "$build/bench/window/bench_window_stall" ]; then
  run P6 p6.log "$build/bench/window/bench_window_stall"
else
  rows+=("P6|not built: no scripted POP3 server (JUNKBANE_TESTS=OFF)|-|-|-|-")
fi

QT_QPA_PLATFORM=offscreen run P5 p5-offscreen.log "$build/bench/startup/bench_startup" 10
if command -v xvfb-run >/dev/null; then
  env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1024x768x24" true >/dev/null 2>&1 &&
    run P5 p5-xvfb.log env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb \
      xvfb-run -a -s "-screen 0 1024x768x24" "$build/bench/startup/bench_startup" 10
else
  echo "== P5 on a display skipped: xvfb-run is not installed"
fi

run P7 p7.log "$build/bench/reader/bench_reader"

echo
echo "== Results (detail above; logs in $logs)"
{
  echo "id|figure|value|baseline (same run)|ratio / target|met"
  for row in "${rows[@]}"; do echo "$row"; done
} | awk -F'|' '
  { for (i = 1; i <= NF; ++i) { cell[NR, i] = $i; if (length($i) > w[i]) w[i] = length($i) } n = NR }
  END {
    for (r = 1; r <= n; ++r) {
      line = ""
      for (i = 1; i <= 6; ++i) line = line sprintf("%-" w[i] "s", cell[r, i]) (i < 6 ? " | " : "")
      print line
      if (r == 1) { s = ""; for (i = 1; i <= 6; ++i) { d = ""; for (k = 0; k < w[i]; ++k) d = d "-"; s = s d (i < 6 ? "-+-" : "") } print s }
    }
  }'
