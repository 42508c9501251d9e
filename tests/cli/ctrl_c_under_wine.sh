#!/usr/bin/env bash
# The Windows runner's Ctrl-C, under Wine, which hands a SIGINT to the
# program as the console's Ctrl-C event: the run stops like the Stop button,
# the report is printed and the log ends with a whole record.
set -euo pipefail
runner=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder"
# A run without pulses that would go on for minutes, tick by tick.
wine "$runner" --tick-by-tick --linear --set acceleration=0 --set initialSpeed=0 --record \
  --json >out 2>err &
runner_pid=$!
# The log exists once the runner has taken over Ctrl-C.
for _ in $(seq 600); do [ -e DATA_LOG.txt ] && break; sleep 0.1; done
kill -INT "$runner_pid"
status=0
wait "$runner_pid" || status=$?
cat err
[ "$status" -eq 0 ] || { echo "exit status $status"; exit 1; }
grep -q '^{"outcome": "stopped", ' out || { echo "not stopped: $(cut -c1-80 out)"; exit 1; }
[ "$(tail -c 2 DATA_LOG.txt | od -An -c | tr -d ' ')" = '\r\n' ] || { echo "log cut short"; exit 1; }
echo "stopped by Ctrl-C, log complete"
