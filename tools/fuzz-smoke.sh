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
"$fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 -timeout=10 \
  -print_final_stats=1 -artifact_prefix="$artifacts/$(basename "$fuzzer")-" "$corpus" >"$log" 2>&1
rc=$?
if [ $rc -ne 0 ]; then tail -60 "$log"; fi
grep -E 'stat::number_of_executed_units' "$log" || true
exit $rc
