#!/usr/bin/env bash
# Builds the libFuzzer targets of the mail layer (clang, AddressSanitizer, UBSan, in
# build-fuzz/) and runs each one for SECONDS (default 60) on a working copy of its seed corpus
# and dictionary. Prints how many inputs each target executed and the total; every crash is
# kept in build-fuzz/crashes/<target>/ with the command that reproduces it.
#   scripts/fuzz.sh [SECONDS] [TARGET...]   targets: read_mail server_address header_text
#   FUZZ_JOBS=n     processes per target (default 1; the machine's cores are shared)
# Installs nothing: clang and libclang-rt-14-dev come with the README's dependency commands.
# A crash input worth keeping goes into tests/fuzz/regressions/<target>/, where the regression
# tests (ctest -L unit) replay it on every build.
set -uo pipefail
cd "$(dirname "$0")/.."

all_targets=(read_mail server_address header_text)
seconds=${1:-60}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "SECONDS must be a whole number of seconds above 0, not \"$seconds\"." >&2
  echo "usage: $0 [SECONDS] [TARGET...]  (targets: ${all_targets[*]})" >&2
  exit 2
fi
shift $(($# > 0 ? 1 : 0))
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=("${all_targets[@]}")
for target in "${targets[@]}"; do
  if [[ ! -d tests/fuzz/corpus/$target ]]; then
    echo "Unknown target \"$target\"; the targets are: ${all_targets[*]}." >&2
    exit 2
  fi
done
jobs=${FUZZ_JOBS:-1}

build=build-fuzz
root=$(pwd)
if ! command -v clang++ >/dev/null; then
  echo "clang++ is missing: install clang and libclang-rt-14-dev (see README)." >&2
  exit 1
fi

echo "== Building the fuzz targets (clang, ASan + UBSan, $build)"
if ! CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DJUNKBANE_FUZZ=ON -DJUNKBANE_TESTS=ON -DJUNKBANE_TEST_DIRS=fuzz -DJUNKBANE_BENCH=OFF \
     -DJUNKBANE_WERROR=ON >"$build.configure.log" 2>&1; then
  cat "$build.configure.log"
  echo "Configuring $build failed." >&2
  exit 1
fi
if ! cmake --build "$build" --target junkbane_fuzzers -j "$jobs" >"$build.build.log" 2>&1; then
  tail -n 40 "$build.build.log"
  echo "Building the fuzz targets failed (whole log: $build.build.log)." >&2
  exit 1
fi

# Longest input each target is given: a message with a few dozen parts, a server text, a header.
declare -A max_len=([read_mail]=16384 [server_address]=512 [header_text]=4096)
total=0
found=0
report=()
for target in "${targets[@]}"; do
  corpus=$root/$build/fuzz-corpus/$target
  crashes=$root/$build/crashes/$target
  logs=$root/$build/fuzz-logs/$target
  mkdir -p "$corpus" "$crashes" "$logs"
  rm -f "$logs"/fuzz-*.log
  # The seeds and earlier finds start the working corpus; what the fuzzer adds stays here.
  find tests/fuzz/corpus/"$target" tests/fuzz/regressions/"$target" -type f ! -name '.*' \
    -exec cp -n -t "$corpus" {} +
  before=$(find "$crashes" -type f | sort)

  echo "== $target: ${seconds} s, $jobs process(es), corpus $corpus"
  (cd "$logs" && "$root/$build/fuzz/fuzz_$target" -jobs="$jobs" -workers="$jobs" \
     -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
     -max_len="${max_len[$target]}" -dict="$root/tests/fuzz/dictionaries/$target.dict" \
     -artifact_prefix="$crashes/" "$corpus" >"$logs/main.log" 2>&1)

  executed=$(cat "$logs"/fuzz-*.log 2>/dev/null |
             awk '/stat::number_of_executed_units:/ {n += $2} END {print n + 0}')
  total=$((total + executed))
  report+=("$(printf '  %-16s %12d inputs' "$target" "$executed")")
  echo "   executed $executed inputs; log: $logs/"
  while IFS= read -r file; do
    [[ -n $file ]] || continue
    found=$((found + 1))
    echo "   FOUND $file"
    grep -h -m1 -E 'Fuzz invariant broken|ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error' \
      "$logs"/fuzz-*.log | sed 's/^/     /' | head -n 3
    echo "     reproduce: $build/fuzz/fuzz_$target $file"
    echo "     keep:      cp $file tests/fuzz/regressions/$target/<what-it-shows>"
  done < <(comm -13 <(printf '%s\n' "$before") <(find "$crashes" -type f | sort))
done

echo "== Inputs executed"
printf '%s\n' "${report[@]}"
printf '  %-16s %12d inputs\n' total "$total"
if ((found > 0)); then
  echo "$found crash file(s) in $build/crashes/: see above." >&2
  exit 1
fi
echo "No crashes."
