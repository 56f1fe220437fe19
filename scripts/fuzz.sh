#!/usr/bin/env bash
# Runs the fuzz programs of build-fuzz/fuzz (build them with `make build-fuzz`).
#
#   scripts/fuzz.sh smoke                 every target, a fixed number of runs
#                                         from its seeds (FUZZ_SMOKE_RUNS, 4000)
#   scripts/fuzz.sh run SECONDS [TARGET…] each target (or those named) for
#                                         SECONDS, one after another
#
# `run` keeps what it learns in build-fuzz/corpus/<target> (the seeds in
# Fuzz/corpus/<target> are read, never written). Both modes put crashing
# inputs in build-fuzz/artifacts/<target>/ and each log in build-fuzz/logs/,
# and print the executions of every target. A crash, a hang (10 s on one input),
# an allocation above 512 MB or a failed check ends the script with an error.
set -euo pipefail
cd "$(dirname "$0")/.."

bin=build-fuzz/fuzz
mode=${1:-smoke}
shift || true
options=(-timeout=10 -malloc_limit_mb=512 -rss_limit_mb=2048 -print_final_stats=1)

targets=()
if [ "$mode" = run ]; then
  seconds=${1:?"usage: $0 run SECONDS [TARGET...]"}
  shift
  targets=("$@")
fi
if [ ${#targets[@]} -eq 0 ] && [ -f "$bin/targets.txt" ]; then
  mapfile -t targets < "$bin/targets.txt"
fi
[ ${#targets[@]} -gt 0 ] && [ -x "$bin/${targets[0]}" ] || { echo "fuzz: no fuzz programs in $bin" >&2; exit 1; }

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/logs
status=0
total=0
for target in "${targets[@]}"; do
  seeds=Fuzz/corpus/$target
  log=build-fuzz/logs/$target.log
  if [ "$mode" = smoke ]; then
    mkdir -p "$work/$target"
    args=(-runs="${FUZZ_SMOKE_RUNS:-4000}" -seed=1 "$work/$target" "$seeds")
  else
    mkdir -p "build-fuzz/corpus/$target"
    args=(-max_total_time="$seconds" "build-fuzz/corpus/$target" "$seeds")
  fi
  mkdir -p "build-fuzz/artifacts/$target"
  args=(-artifact_prefix="build-fuzz/artifacts/$target/" "${args[@]}")
  start=$(date +%s)
  if "$bin/$target" "${options[@]}" "${args[@]}" >"$log" 2>&1; then outcome=ok; else outcome=FAILED; status=1; fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  runs=${runs:-0}
  total=$((total + runs))
  printf 'fuzz: %-24s %-6s %12s executions in %4ss\n' "$target" "$outcome" "$runs" "$(( $(date +%s) - start ))"
  if [ "$outcome" = FAILED ]; then
    grep -E 'ERROR|SUMMARY|fuzz check|runtime error|Test unit written' "$log" | head -20 >&2 || true
  fi
done
printf 'fuzz: %d executions in all\n' "$total"
exit $status
