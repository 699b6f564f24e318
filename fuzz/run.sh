#!/usr/bin/env bash
# Runs the libFuzzer targets of the fuzz configuration.
#
#   fuzz/run.sh fuzz  [targets...]   every target for FUZZ_SECONDS (default 300) on a
#                                    corpus kept in the build folder; executions are
#                                    added up across runs
#   fuzz/run.sh check [targets...]   the short form for CI: every seed and regression
#                                    input once, then FUZZ_SECONDS (default 20) of fuzzing
#                                    from the seeds on a fresh corpus
#
# Targets run in parallel, at most FUZZ_JOBS (default: the core count) at a time.
# Any finding (crash, sanitizer report, leak, timeout, memory limit) fails the run;
# its input is left in <build>/fuzz/findings/<target>/. Environment:
#   FUZZ_BUILD_DIR   the fuzz configuration's build folder (default build-fuzz)
#   FUZZ_SECONDS     seconds of fuzzing per target
#   FUZZ_RUNS        "fuzz" mode: executions per target instead of a time (FUZZ_SECONDS then
#                    limits the time only when it is given as well)
#   FUZZ_JOBS        targets run at once
#   FUZZ_PROCESSES   fuzzing processes per target in "fuzz" mode (default 1); they share
#                    the target's corpus folder and take up each other's new inputs
#   ASAN_OPTIONS     "fuzz" mode sets cheaper allocator settings unless it is given
set -uo pipefail

# The whole script is read before it runs (a long run is not disturbed when
# the file changes meanwhile).
main() {

mode=${1:-}
shift || true
case "$mode" in
  fuzz|check) ;;
  *) echo "usage: $0 fuzz|check [targets...]" >&2; return 2 ;;
esac

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "$source_dir" && mkdir -p "${FUZZ_BUILD_DIR:-build-fuzz}" && cd "${FUZZ_BUILD_DIR:-build-fuzz}" && pwd)
bin_dir=$build_dir/fuzz/bin
jobs=${FUZZ_JOBS:-$(nproc)}
processes=${FUZZ_PROCESSES:-1}
runs_wanted=${FUZZ_RUNS:-0}
if [ "$mode" = fuzz ]; then
  if [ "$runs_wanted" -gt 0 ]; then seconds=${FUZZ_SECONDS:-0}; else seconds=${FUZZ_SECONDS:-300}; fi
else
  seconds=${FUZZ_SECONDS:-20}
fi

all_targets=(xml struct project device channelbase options settings library lists dock console avrbuild vectors
             help update optionstree)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")

# Largest input per target: whole files of the kind, kept small enough that one
# input's work stays bounded.
max_len() {
  case "$1" in
    xml|struct) echo 16384 ;;
    device|project|options|settings|channelbase|optionstree) echo 8192 ;;
    library|avrbuild|dock|console|help|update) echo 4096 ;;
    lists|vectors) echo 2048 ;;
  esac
}

# Scratch folders of fuzz processes that are gone (a crash leaves its own).
clean_scratch() {
  local d pid
  for d in /dev/shm/zo-fuzz-* /tmp/zo-fuzz-*; do
    [ -d "$d" ] || continue
    pid=${d##*-}
    # Only folders named after a process; a running target's corpus folder
    # (zo-fuzz-corpus-<target>.XXXXXX) is not scratch.
    case $pid in ''|*[!0-9]*) continue ;; esac
    kill -0 "$pid" 2>/dev/null || rm -rf "$d"
  done
}

run_target() {
  local target=$1 binary=$bin_dir/fuzz_$1
  local findings=$build_dir/fuzz/findings/$target
  # One log a run: runs of other invocations may go on beside this one.
  local log=$build_dir/fuzz/logs/$target.$mode.$run_id.log
  local seeds=$source_dir/fuzz/corpus/$target regressions=$source_dir/fuzz/regressions/$target
  local dict=$source_dir/fuzz/dict/$target.dict
  mkdir -p "$findings" "$(dirname "$log")" "$regressions"
  # A target runs in a folder of its own: a tool a target stands in for may
  # write files named relative to the current folder (the avrbuild target's
  # fake assembler writes its -o names as given).
  local cwd=$build_dir/fuzz/cwd/$target
  mkdir -p "$cwd" && cd "$cwd" || return
  if [ ! -x "$binary" ]; then
    echo "$target: no binary $binary" > "$log"
    echo "$target 0 missing" > "$log.result"
    return
  fi
  local options=(-rss_limit_mb=2048 -malloc_limit_mb=2048 -timeout=20 -max_len="$(max_len "$target")"
                 -print_final_stats=1 -artifact_prefix="$findings/")
  [ -f "$dict" ] && options+=(-dict="$dict")
  local status=0 runs=0 corpus
  : > "$log"
  if [ "$mode" = check ]; then
    # Every seed and regression input once, each in a run of its own.
    local inputs=()
    for f in "$seeds"/* "$regressions"/*; do [ -f "$f" ] && inputs+=("$f"); done
    if [ ${#inputs[@]} -gt 0 ]; then
      "$binary" -rss_limit_mb=2048 -timeout=20 "${inputs[@]}" >> "$log" 2>&1 || status=1
    fi
    corpus=$(mktemp -d "${TMPDIR:-/tmp}/zo-fuzz-corpus-$target.XXXXXX")
    if [ $status -eq 0 ]; then
      "$binary" "${options[@]}" -max_total_time="$seconds" "$corpus" "$seeds" "$regressions" >> "$log" 2>&1 || status=1
    fi
    rm -rf "$corpus"
  else
    corpus=$build_dir/fuzz/corpus/$target
    mkdir -p "$corpus"
    local i pids=()
    [ "$runs_wanted" -gt 0 ] && options+=(-runs=$(((runs_wanted + processes - 1) / processes)))
    for ((i = 1; i <= processes; i++)); do
      "$binary" "${options[@]}" -max_total_time="$seconds" "$corpus" "$seeds" "$regressions" > "$log.$i" 2>&1 &
      pids+=($!)
    done
    for i in "${!pids[@]}"; do wait "${pids[$i]}" || status=1; done
    for ((i = 1; i <= processes; i++)); do cat "$log.$i" >> "$log"; rm -f "$log.$i"; done
  fi
  runs=$(grep -h 'stat::number_of_executed_units:' "$log" | awk '{s += $2} END {print s + 0}')
  # A run stopped from outside (SIGTERM, SIGINT) reports "interrupted" and is no finding.
  local result=ok
  if grep -q -e '^==[0-9]*==.*ERROR' -e 'ERROR: libFuzzer' -e 'FUZZ CHECK FAILED' -e '^SUMMARY: ' "$log"; then
    result=FINDING
  elif [ $status -ne 0 ] && grep -q 'run interrupted' "$log"; then
    result=interrupted
  elif [ $status -ne 0 ]; then
    result=FINDING
  fi
  echo "$target $runs $result" > "$log.result"
}
export -f run_target max_len
run_id=$$
# Long runs: no allocation stacks in reports, no fill of new blocks, a smaller
# quarantine of freed ones and no returning of freed memory to the system make
# each execution cheaper. Every error is still caught; a finding's input is
# replayed with the defaults to read where its memory came from.
if [ "$mode" = fuzz ] && [ -z "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS=malloc_context_size=0:max_malloc_fill_size=0:quarantine_size_mb=16:allocator_release_to_os_interval_ms=-1
fi
export mode seconds processes runs_wanted build_dir bin_dir source_dir run_id

stamp=$(mktemp "${TMPDIR:-/tmp}/zo-fuzz-stamp.XXXXXX")
clean_scratch
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_target "$@"' _ {}
clean_scratch

# Report: executions of this run and, for "fuzz", in total; findings per target.
totals=$build_dir/fuzz/totals
mkdir -p "$totals"
failed=0
reports=()
printf '%-12s %14s %16s  %s\n' target executions "total (fuzz)" result
for target in "${targets[@]}"; do
  read -r _ runs result < "$build_dir/fuzz/logs/$target.$mode.$run_id.log.result"
  total=$(cat "$totals/$target" 2>/dev/null || echo 0)
  if [ "$mode" = fuzz ]; then
    total=$((total + runs))
    echo "$total" > "$totals/$target"
  fi
  # Slow units are reports, not findings: an input that ran out of its time is a timeout.
  findings=$(find "$build_dir/fuzz/findings/$target" -type f -newer "$stamp" \( -name 'crash-*' -o -name 'leak-*' \
    -o -name 'timeout-*' -o -name 'oom-*' \) 2>/dev/null | wc -l)
  [ "$result" != ok ] && failed=1
  note=$result
  [ "$findings" -gt 0 ] && note="$note, $findings new input(s) in $build_dir/fuzz/findings/$target"
  [ "$result" = FINDING ] && note="$note, log $build_dir/fuzz/logs/$target.$mode.$run_id.log"
  printf '%-12s %14s %16s  %s\n' "$target" "$runs" "$total" "$note"
  [ "$result" = FINDING ] && reports+=("$target")
done
# A finding's report and input on the output as well: a CI machine's build
# folder is gone once the run ends.
for target in "${reports[@]}"; do
  log=$build_dir/fuzz/logs/$target.$mode.$run_id.log
  echo
  echo "---- $target: $log"
  grep -m 1 -A 24 -e '^==[0-9]*==.*ERROR' -e 'ERROR: libFuzzer' -e 'FUZZ CHECK FAILED' "$log" || tail -n 25 "$log"
  find "$build_dir/fuzz/findings/$target" -type f -newer "$stamp" \( -name 'crash-*' -o -name 'leak-*' \
    -o -name 'timeout-*' -o -name 'oom-*' \) 2>/dev/null | head -n 3 | while read -r input; do
    echo "input $(basename "$input") ($(stat -c %s "$input") bytes), base64 of its first 4096 bytes:"
    head -c 4096 "$input" | base64
  done
done
rm -f "$stamp"
return $failed
}

main "$@"; exit $?
