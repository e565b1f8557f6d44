#!/usr/bin/env bash
# portdump-decode against sha256sum on the same input, side by side in one
# run: 100 MB of portdump's output made from the real drives' blocks (text
# and --json), and 10^6 damaged lines. Best of five each; peak memory at two
# input sizes. A benchmark to read, not a test that passes or fails.
# usage: benchmark.sh DECODER DUMP_BYTES DATA_DIR WORK_DIR
set -euo pipefail
decoder=$1 dump_bytes=$2 data=$3 work=$4
mkdir -p "$work"
for block in "$data"/*.bin; do "$dump_bytes" "$block"; done >"$work/blocks.txt"
blocks=$(grep -c '^000:' "$work/blocks.txt")
copies=$((100000000 / $(stat -c %s "$work/blocks.txt")))
for _ in $(seq 10); do cat "$work/blocks.txt"; done >"$work/ten.txt"
for _ in $(seq $((copies / 10))); do cat "$work/ten.txt"; done >"$work/real.txt"
head -c $(($(stat -c %s "$work/real.txt") / 10)) "$work/real.txt" >"$work/tenth.txt"
seq 1000000 | sed 's/.*/000: zz/' >"$work/damaged.txt"

# best NAME COMMAND...: the least elapsed seconds of five runs.
best() {
  local name=$1 least=
  shift
  for _ in 1 2 3 4 5; do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    least=$(echo "$end - $start" | bc | awk -v l="${least:-999}" '{ print ($1 < l) ? $1 : l }')
  done
  printf '%-34s %6.3f s\n' "$name" "$least" >&2
  echo "$least"
}
# peak FILE ARGUMENTS...: the decoder's maximum resident set in KiB.
peak() {
  local file=$1
  shift
  /usr/bin/time -f %M "$decoder" "$@" "$file" 2>&1 >/dev/null | tail -1
}

echo "$(stat -c %s "$work/real.txt") bytes, $((copies / 10 * 10 * blocks)) blocks; best of five runs:"
sha=$(best "sha256sum" sha256sum "$work/real.txt")
text=$(best "portdump-decode" "$decoder" "$work/real.txt")
json=$(best "portdump-decode --json" "$decoder" --json "$work/real.txt")
damaged=$(best "portdump-decode, damaged lines" "$decoder" "$work/damaged.txt")
echo "throughput against sha256sum: text $(echo "scale=2; $sha / $text" | bc)x, --json $(echo "scale=2; $sha / $json" | bc)x"
printf '10^6 damaged lines, one error each: %.3f s\n' "$damaged"
echo "peak memory (KiB): text $(peak "$work/tenth.txt") at 10 MB, $(peak "$work/real.txt") at 100 MB;" \
     "--json $(peak "$work/tenth.txt" --json) at 10 MB, $(peak "$work/real.txt" --json) at 100 MB;" \
     "damaged $(peak "$work/damaged.txt")"
