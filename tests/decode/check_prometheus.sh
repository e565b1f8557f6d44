#!/usr/bin/env bash
# portdump-decode --prometheus read by Prometheus' own parts: promtool checks
# the metrics of the emulated machine, of real drives and of a damaged paste,
# and node_exporter's textfile collector serves them over HTTP. The figures
# checked are hdparm's and skdump's readings of the same drive.
# usage: check_prometheus.sh DECODER DUMP_BYTES DATA GOLDEN PROMTOOL NODE_EXPORTER WORK
set -euo pipefail
decoder=$1 dump_bytes=$2 data=$3 golden=$4 promtool=$5 node_exporter=$6 work=$7
rm -rf "$work" && mkdir -p "$work/collector"
fail() { echo "FAIL: $*" >&2; exit 1; }

# Decodes $1 into $1.prom; the exit status must be $2 and promtool content.
metrics() {
  local status=0
  "$decoder" --prometheus "$1" >"$1.prom" 2>"$1.err" || status=$?
  [ "$status" -eq "$2" ] || fail "$1: exit status $status, not $2: $(cat "$1.err")"
  "$promtool" check metrics <"$1.prom" || fail "$1: promtool rejects the metrics"
}
has() { grep -qxF -- "$2" "$1.prom" || fail "$1.prom lacks: $2"; }

cp "$golden/portdump_0.out" "$work/emulated"
metrics "$work/emulated" 0
# The built-in disk of 976773168 sectors.
has "$work/emulated" "portdump_drive_capacity_bytes{source=\"$work/emulated\",port=\"0\"} 500107862016"

for drive in "$data"/*.bin; do
  "$dump_bytes" "$drive" >"$work/$(basename "$drive").out"
done
samsung=$work/samsung
cat "$work/SAMSUNG_HD501LJ.bin.out" "$work/smart-SAMSUNG_HD501LJ.bin.out" >"$samsung"
metrics "$samsung" 0
src="source=\"$samsung\",port=\"1\""
has "$samsung" "portdump_drive_info{$src,model=\"SAMSUNG HD501LJ\",serial=\"S0MUJ1NQ110060\",firmware=\"CR100-12\"} 1"
has "$samsung" "portdump_drive_capacity_bytes{$src} 500107862016"
has "$samsung" "portdump_smart_temperature_celsius{$src} 47"
has "$samsung" "portdump_smart_attribute_value{$src,id=\"9\"} 100"
has "$samsung" "portdump_smart_attribute_raw{$src,id=\"9\"} 7326"
has "$samsung" "portdump_blocks{source=\"$samsung\",kind=\"smart\"} 1"
# The same input twice would repeat each series: the second is left out.
"$decoder" --prometheus "$samsung" "$samsung" >"$samsung.twice" 2>"$samsung.err" && fail "a repeated source is whole"
grep -q "leave out" "$samsung.err" || fail "nothing says what the metrics leave out"
"$promtool" check metrics <"$samsung.twice" || fail "promtool rejects the metrics of a repeated source"
for out in "$work"/*.bin.out; do
  metrics "$out" 0
done

# A paste with a line lost, a pair garbled and two failure lines, under a
# name the labels must escape.
damaged="$work/pa\"s\\te"
sed -e '5d' -e '20s/^\(....\)../\1zz/' "$golden/portdump_3114.out" >"$damaged"
# "DefineDosDeviceに失敗しました。GetLastError=2" in Shift-JIS.
printf 'DefineDosDevice\202\311\216\270\224\163\202\265\202\334\202\265\202\275\201\102GetLastError=2\n' >>"$damaged"
cat "$golden/portdump_100.out" >>"$damaged"
metrics "$damaged" 1
escaped='pa\"s\\te'
grep -qE "^portdump_input_errors\{source=\"$work/pa\\\\\"s\\\\\\\\te\"\} [1-9]" "$damaged.prom" ||
  fail "no input errors counted for the damaged paste"
grep -qF 'operation="define",error="2"} 1' "$damaged.prom" || fail "no define failure"
grep -qF 'operation="open",error="2"} 1' "$damaged.prom" || fail "no open failure"
grep -qF "$escaped\",line=\"" "$damaged.prom" || fail "the source label is not escaped"

# node_exporter's textfile collector serves what the decoder wrote.
cp "$samsung.prom" "$work/collector/portdump.prom"
for attempt in 1 2 3 4 5; do
  port=$((20000 + RANDOM % 40000))
  "$node_exporter" --web.listen-address="127.0.0.1:$port" --collector.disable-defaults --collector.textfile \
    --collector.textfile.directory="$work/collector" >"$work/node_exporter.log" 2>&1 &
  pid=$!
  for _ in $(seq 50); do
    served=$({ exec 3<>"/dev/tcp/127.0.0.1/$port" &&
               printf 'GET /metrics HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' >&3 && cat <&3; } 2>/dev/null) && break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true
  [ -n "${served:-}" ] && break
done
[ -n "${served:-}" ] || fail "node_exporter served nothing: $(cat "$work/node_exporter.log")"
# It writes the labels in the order of their names.
grep -qxF "portdump_smart_attribute_raw{id=\"9\",port=\"1\",source=\"$samsung\"} 7326" <<<"${served//$'\r'/}" ||
  fail "node_exporter does not serve the attributes"
grep -qx 'node_textfile_scrape_error 0' <<<"${served//$'\r'/}" || fail "node_exporter could not read the file"
echo "promtool and node_exporter read the metrics"
