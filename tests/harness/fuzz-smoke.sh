#!/usr/bin/env bash
# Runs one libFuzzer target for a while from its seed folder, in a scratch corpus so the
# repository's seeds stay as they are. Findings are kept in LUMORA_FUZZ_ARTIFACTS (default:
# fuzz-artifacts/ in the current folder). Usage: fuzz-smoke.sh FUZZER SEEDS [SECONDS]
set -uo pipefail
fuzzer=$1 seeds=$2 seconds=${3:-10}
artifacts=${LUMORA_FUZZ_ARTIFACTS:-$PWD/fuzz-artifacts}
mkdir -p "$artifacts"
corpus=$(mktemp -d)
log=$(mktemp)
trap 'rm -rf "$corpus" "$log"' EXIT
[ -d "$seeds" ] && cp -r "$seeds"/. "$corpus"/
# The fuzz build's readers refuse pictures beyond 256 KiB of pixels, so any single allocation
# of more than 64 MiB is a limit some reader fails to apply: a finding. The readers' own
# messages on the standard error stream (libjpeg's warnings, a line for most JPEG inputs) are
# dropped; libFuzzer's and the sanitizers' reports still reach the log.
"$fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -malloc_limit_mb=64 \
  -timeout=10 -close_fd_mask=2 -print_final_stats=1 \
  -artifact_prefix="$artifacts/$(basename "$fuzzer")-" "$corpus" >"$log" 2>&1
rc=$?
if [ $rc -ne 0 ]; then tail -60 "$log"; fi
# The last status line (coverage, features, executions a second) and the run count.
grep -E '^#[0-9]+' "$log" | tail -1
grep -E 'stat::number_of_executed_units' "$log" || true
exit $rc
