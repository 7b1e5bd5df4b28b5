#!/usr/bin/env bash
# scripts/fuzz.sh [--runs N] [--time SECONDS] [--jobs N] [--smoke] [TARGET...]
# Builds the libFuzzer targets (tests/fuzz) with clang into build/fuzz and runs
# every target, or the ones named, over its corpus.
#   --runs N     each target stops after N executions
#   --time S     each target stops after S seconds (without --runs: 60);
#                with both, at whichever comes first
#   --jobs N     targets run at once (default: JOBS, else up to 4)
#   --fork N     each target fuzzes in N processes at once (libFuzzer's fork
#                mode; --runs counts the executions of all of them)
#   --smoke      about 10 s per target, new inputs are not kept; skipped
#                cleanly where clang or its fuzzer runtime is missing
# Outside the smoke run, new inputs collect in build/fuzz/work/<target>
# (kept between runs) and those that add coverage are merged into
# tests/fuzz/corpus/<target> at the end; --runs 0 only merges. A crash, leak,
# time-out or sanitizer report fails the run; the input is kept in
# build/fuzz/findings/<target>/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir="$root/build/fuzz"

runs=""
forks=""
seconds=""
smoke=no
jobs=${JOBS:-$(( $(nproc) < 4 ? $(nproc) : 4 ))}
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --time) seconds=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --fork) forks=$2; shift 2 ;;
    --smoke) smoke=yes; seconds=10; shift ;;
    -h|--help) sed -n '2,19p' "$0"; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done

declare -A max_len
while read -r name len; do
  [[ -z $name || $name == \#* ]] && continue
  max_len[$name]=$len
done <"$root/tests/fuzz/targets.txt"
[ ${#targets[@]} -eq 0 ] && mapfile -t targets < <(grep -v '^#' "$root/tests/fuzz/targets.txt" | awk 'NF {print $1}')
for t in "${targets[@]}"; do
  [ -n "${max_len[$t]:-}" ] || { echo "no fuzz target named $t" >&2; exit 2; }
done

if ! command -v clang++ >/dev/null || [ ! -f "$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a)" ]; then
  if [ $smoke = yes ]; then
    echo "fuzz smoke run skipped: clang++ or its fuzzer runtime (libclang-rt-14-dev) is missing"
    exit 0
  fi
  "$root/scripts/install-deps.sh"
fi

# -O1 keeps the instrumented code fast without hiding the findings.
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE= -DCMAKE_C_FLAGS="-O1 -gline-tables-only" -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" \
  -DTRELLAVOX_FUZZ=ON -DTRELLAVOX_BENCH=OFF >/dev/null
cmake --build "$dir" --parallel "${JOBS:-$(nproc)}" --target "${targets[@]/#/fuzz_}"

# A small quarantine: with the default 256 MB every input's allocations land
# on memory not touched for a long time, and the page faults cost more than
# most inputs; 16 MB still holds many inputs' freed memory poisoned. Freed
# pages stay mapped: giving them back to the system at every few inputs cost
# fat12 a sixth of its time in madvise calls and the faults after them.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:quarantine_size_mb=16:allocator_release_to_os_interval_ms=-1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen

# One target: fuzz into its work folder, then merge what adds coverage.
run_target() {
  local name=$1
  local corpus="$root/tests/fuzz/corpus/$name"
  local work="$dir/work/$name"
  if [ $smoke = yes ]; then
    work="$dir/smoke/$name"
    rm -rf "$work"
  fi
  local findings="$dir/findings/$name"
  local log="$dir/logs/$name.log"
  [ $smoke = no ] || log="$dir/smoke/$name.log"
  mkdir -p "$work" "$findings" "$corpus" "$(dirname "$log")"
  local args=(-max_len="${max_len[$name]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
              -artifact_prefix="$findings/")
  [ -f "$root/tests/fuzz/dict/$name.dict" ] && args+=(-dict="$root/tests/fuzz/dict/$name.dict")
  if [ -n "$runs" ]; then args+=(-runs="$runs"); fi
  if [ -n "$forks" ]; then args+=(-fork="$forks"); fi
  if [ -n "$seconds" ]; then args+=(-max_total_time="$seconds"); fi
  if [ -z "$runs$seconds" ]; then args+=(-max_total_time=60); fi
  local start=$SECONDS status=0
  "$dir/bin/fuzz/fuzz_$name" "${args[@]}" "$work" "$corpus" >"$log" 2>&1 || status=$?
  local took=$((SECONDS - start))
  if [ $status -eq 0 ] && [ $smoke = no ] && [ -n "$(ls -A "$work")" ]; then
    "$dir/bin/fuzz/fuzz_$name" -merge=1 -max_len="${max_len[$name]}" "$corpus" "$work" >"$log.merge" 2>&1 || status=$?
  fi
  local execs rate
  execs=$(awk '/^stat::number_of_executed_units:/ {print $2; exit}' "$log")
  rate=$(awk '/^stat::average_exec_per_sec:/ {print $2; exit}' "$log")
  if [ -z "$execs" ]; then
    # Fork mode prints no final stats: its last status line has the totals.
    execs=$(awk '/^#[0-9]+: cov:/ {n = substr($1, 2, length($1) - 2)} END {print n}' "$log")
    [ -n "$execs" ] && [ $took -gt 0 ] && rate=$((execs / took))
    # It goes on past time-outs and running out of memory, but they count.
    if [ $status -eq 0 ] && grep -qE 'oom/timeout/crash: ([1-9][0-9]*/[0-9]+|[0-9]+/[1-9][0-9]*)/' "$log"; then
      status=1
    fi
  fi
  printf '%-16s %s  executions %s  exec/s %s  %ss  corpus %s files\n' "$name" \
    "$([ $status -eq 0 ] && echo ok || echo FINDING)" "${execs:-?}" "${rate:-?}" "$took" \
    "$(find "$corpus" -type f | wc -l)"
  if [ $status -ne 0 ]; then
    echo "--- $name: see $log and $findings" >&2
    grep -m 20 -E 'ERROR|runtime error|SUMMARY|Test unit written' "$log" >&2 || true
    return 1
  fi
}

failed=0
running=0
for t in "${targets[@]}"; do
  if [ $running -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  run_target "$t" &
  running=$((running + 1))
done
while [ $running -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
[ $failed -eq 0 ] || { echo "fuzzing found faults" >&2; exit 1; }
