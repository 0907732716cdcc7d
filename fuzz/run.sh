#!/usr/bin/env bash
# Runs fuzz targets for a given time each, one after another, on their corpora.
#   fuzz/run.sh SECONDS [TARGET...]     TARGET: index roll profile filter_buffer csv records disk_image
#                                       media check_dump text_output settings companion
#                                       (default: all built)
# Expects the targets and seeds built (scripts/fuzz-smoke.sh does both) in $FUZZ_BUILD_DIR
# (default build-fuzz). The working corpus of a target grows in $FUZZ_BUILD_DIR/corpus/TARGET,
# starting from its seeds; findings go to $FUZZ_BUILD_DIR/findings/TARGET, the log to
# $FUZZ_BUILD_DIR/logs/TARGET.log. Exits non-zero when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${FUZZ_BUILD_DIR:-build-fuzz}"
seconds="${1:?usage: fuzz/run.sh SECONDS [TARGET...]}"
shift
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  for t in index roll profile filter_buffer csv records disk_image; do
    [[ -x "$build_dir/fuzz/${t}_fuzzer" ]] && targets+=("$t")
  done
  # Media discovery, rollkit's check, dump and text output, the viewer's settings.
  for t in media check_dump text_output settings; do
    [[ -x "$build_dir/fuzz/${t}_fuzzer" ]] && targets+=("$t")
  done
  [[ -x "$build_dir/fuzz/companion_fuzzer" ]] && targets+=(companion)
fi

failed=0
for t in "${targets[@]}"; do
  binary="$build_dir/fuzz/${t}_fuzzer"
  corpus="$build_dir/corpus/$t"
  findings="$build_dir/findings/$t"
  log="$build_dir/logs/$t.log"
  mkdir -p "$corpus" "$findings" "$(dirname "$log")"
  # A single input that runs for 10 s counts as a hang; memory is bounded well below the machine's.
  extra=()
  # The CSV target runs rollkit build, and check_dump rollkit dump, which report on stdout and
  # stderr: keep the log readable.
  [[ $t == csv || $t == check_dump ]] && extra=(-close_fd_mask=3)
  if "$binary" "${extra[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/" "$corpus" "$build_dir/seeds/$t" >"$log" 2>&1; then
    status=ok
  else
    status=FOUND
    failed=1
  fi
  done_line="$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)"
  execs="$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}' || true)"
  printf '%-14s %-5s executions %-10s %s\n' "$t" "$status" "${execs:-?}" "${done_line:-(no DONE line; see $log)}"
  if [[ $status != ok ]]; then
    grep -E 'ERROR|check failed|SUMMARY' "$log" | head -n 5 || true
    ls "$findings"
  fi
done
exit "$failed"
