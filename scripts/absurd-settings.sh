#!/usr/bin/env bash
# Runs the batch tool as whole processes on project files holding values no
# wizard accepts (written with a valid digest) and on two legal but absurd
# settings, each under /usr/bin/time -v, and checks that each step ends
# within 20 s and under 1 GB peak memory. Prints a table; exits 1 when a
# step breaks a limit or crashes.
#
# Steps: "info" opens the project and builds and pages every view; "export"
# writes the view as PNG pages (settings that give no map are refused with
# exit status 1 and their message, which counts as a pass). The 500,000-row
# map has about 40,000 pages: its export is stopped after 20 s and the table
# shows how many pages were written by then and the memory used.
#
# usage: scripts/absurd-settings.sh [path/to/karyoquill-cli]   (use a Release build)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cli="${1:-$here/../build/bin/karyoquill-cli}"
[[ -x "$cli" ]] || { echo "no batch tool at $cli; build it first" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is missing (Debian package: time)" >&2; exit 2; }
command -v python3 >/dev/null || { echo "python3 is needed to patch project files" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
limit_s=20
limit_mb=1024

# Genes of 300 to 1,800 bp over the first $1 bp, four classes, both strands.
generate() {
  awk -v length_bp="$1" 'BEGIN {
    OFS = "\t"; print "start", "end", "class", "strand", "name"
    split("cds trna rrna ncrna", classes, " ")
    pos = 1; seed = 12345
    for (i = 1; pos < length_bp; i++) {
      seed = (seed * 1103515245 + 12345) % 2147483648; len = 300 + int(seed / 2147483648 * 1500)
      seed = (seed * 1103515245 + 12345) % 2147483648; gap = 10 + int(seed / 2147483648 * 200)
      end = pos + len - 1; if (end > length_bp) end = length_bp
      print pos, end, classes[1 + i % 4], (seed % 2 ? "+" : "-"), "g" i
      pos += len + gap
    }
  }' > "$2"
}

# patch IN OUT KIND FIELD=VALUE...: copies a project file with fields of its
# first view of KIND (linear or circular) changed, and a new digest.
patch() {
  python3 - "$@" <<'EOF'
import hashlib, struct, sys
src, dst, kind = sys.argv[1:4]
changes = [a.split('=') for a in sys.argv[4:]]
data = bytearray(open(src, 'rb').read())
assert data[4:8] == b'KYQL'
length = struct.unpack_from('<i', data, 8)[0]
content = bytearray(data[12:12 + length])

def find_block(tag, start=0):
    at = content.index(b'\x04\x00\x00\x00' + tag, start)
    return at + 12, at + 12 + struct.unpack_from('<i', content, at + 8)[0]

outer, outer_end = find_block(b'vlin' if kind == 'linear' else b'vcir')
view, view_end = find_block(b'view', outer)
offsets = {}
at = view + 4
count = struct.unpack_from('<i', content, at)[0]; at += 4
def skip_text(at):
    return at + 4 + struct.unpack_from('<i', content, at)[0]
for i in range(count):
    at = skip_text(at) + 8          # class, colour, file number
    at = skip_text(at)              # legend name
    if i == 0:
        offsets['placement'] = at
    at += 4
at += 2                             # legend and title flags
offsets['genome'] = at; at = skip_text(at + 4) + 8   # legend title, unit, largest location
offsets['page-height'] = at; offsets['page-width'] = at + 4
for name, back in (('end', 20), ('row-scale', 16), ('start', 12), ('min-ranks', 8), ('max-ranks', 4)) \
        if kind == 'linear' else (('divides', 12), ('scale-length', 8), ('scale-type', 4)):
    offsets[name] = outer_end - back
for name, value in changes:
    struct.pack_into('<i', content, offsets[name], int(value))
digest = hashlib.md5(b'KELMORT.QU.VZ' + bytes(content)).digest()
open(dst, 'wb').write(bytes(data[:12]) + bytes(content) + digest)
EOF
}

failures=0
printf "%-40s %-7s %4s %7s %8s  %s\n" case step exit wall-s "peak MB" result
# run NAME STEP TIMEOUT COMMAND...: one step under /usr/bin/time.
run() {
  local name="$1" step="$2" stop="$3"; shift 3
  local log="$work/time.log" status=0
  # The tool is stopped after $stop seconds by killing it, the child of time,
  # so that time still reports its peak memory.
  /usr/bin/time -v -o "$log" "$@" > "$work/out.txt" 2> "$work/err.txt" &
  local timer=$!
  (sleep "$stop"; pkill -KILL -P "$timer") 2>/dev/null &
  local watchdog=$!
  wait "$timer" || status=$?
  kill "$watchdog" 2>/dev/null || true
  grep -q "terminated by signal 9" "$log" && status=137
  read -r wall mb < <(awk -F': ' '
    /Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i] }
    /Maximum resident set size/ { kb = $2 }
    END { printf "%.2f %.0f\n", s, kb / 1024 }' "$log" 2>/dev/null || echo "- -")
  local result=ok
  if ((status == 137)); then
    result="stopped after ${stop} s"
  elif ((status > 1)); then
    result="FAILED (status $status)"; failures=$((failures + 1))
  elif awk -v w="$wall" -v m="$mb" -v lw="$limit_s" -v lm="$limit_mb" 'BEGIN { exit !(w > lw || m > lm) }'; then
    result="OVER LIMIT"; failures=$((failures + 1))
  fi
  if ((status == 1)); then result="$result: $(tr '\n' ' ' < "$work/err.txt" | cut -c1-70)"; fi
  printf "%-40s %-7s %4s %7s %8s  %s\n" "$name" "$step" "$status" "$wall" "$mb" "$result"
}

# A small project with one ordinary view of each kind, patched per case.
generate 20000 "$work/small.tsv"
base="$work/base.kyql"
"$cli" import "$base" "$work/small.tsv" --start start --end end --class class --direction strand --name name >/dev/null
"$cli" view "$base" --linear --name Rows --row-scale 1K --entry file=1,class=cds,type=Arrow \
  --entry file=1,class=trna,placement=Upper >/dev/null
"$cli" view "$base" --circular --name Ring --entry file=1,class=cds --entry file=1,class=rrna,placement=Pin1 >/dev/null

cases=(
  "linear row scale 0|linear|0|row-scale=0"
  "linear row scale -100|linear|0|row-scale=-100"
  "linear row scale 7|linear|0|row-scale=7"
  "rank counts 0|linear|0|min-ranks=0 max-ranks=0"
  "rank counts negative|linear|0|min-ranks=-5 max-ranks=-1"
  "rank counts in the billions|linear|0|min-ranks=2000000000 max-ranks=2100000000"
  "start beyond end|linear|0|start=15000 end=9000"
  "range of 200 million rows|linear|0|end=2000000000 row-scale=10"
  "linear genome length 0|linear|0|genome=0"
  "linear genome length negative|linear|0|genome=-5"
  "linear page 0 x -1|linear|0|page-width=0 page-height=-1"
  "linear placement word unknown|linear|0|placement=-7"
  "scale divides 0|circular|1|divides=0"
  "scale divides negative|circular|1|divides=-20"
  "scale length 0|circular|1|scale-type=1 scale-length=0"
  "scale length negative|circular|1|scale-type=1 scale-length=-3"
  "circular genome length 0|circular|1|genome=0"
  "circular genome length negative|circular|1|genome=-100"
  "circular page 0 x 0|circular|1|page-width=0 page-height=0"
  "circular placement word unknown|circular|1|placement=99"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r name kind view changes <<< "$entry"
  project="$work/case.kyql"
  # shellcheck disable=SC2086
  patch "$base" "$project" "$kind" $changes
  run "$name" info "$limit_s" "$cli" info "$project"
  rm -rf "$work/out"
  run "$name" export "$limit_s" "$cli" export "$project" --view "$view" --format png --output "$work/out"
done

# Legal but absurd: a 1 bp length scale on a 2 Mbp genome, and 500,000 rows
# of 10 bp over 5 Mbp.
generate 5000000 "$work/genome.tsv"
big="$work/big.kyql"
"$cli" import "$big" "$work/genome.tsv" --start start --end end --class class --direction strand --name name >/dev/null
"$cli" view "$big" --circular --name Ticks --genome-length 2000000 --scale-length 1 \
  --entry file=1,class=cds --entry file=1,class=trna,placement=Pin1 >/dev/null
"$cli" view "$big" --linear --name Rows --start 0 --end 5000000 --row-scale 10 \
  --entry file=1,class=cds,type=Arrow --entry file=1,class=trna,placement=Upper --entry file=1,class=rrna >/dev/null
run "1 bp ticks and 500,000 rows (both)" info "$limit_s" "$cli" info "$big"
rm -rf "$work/out"
run "1 bp ticks on 2 Mbp" export "$limit_s" "$cli" export "$big" --view 0 --format png --output "$work/out.png"
rm -rf "$work/out"
run "500,000 rows of 10 bp" export "$limit_s" "$cli" export "$big" --view 1 --format png --output "$work/out"
echo "500,000 rows: $(find "$work/out" -type f 2>/dev/null | wc -l) pages written before the export was stopped"

((failures == 0)) || { echo "$failures step(s) broke a limit or failed" >&2; exit 1; }
