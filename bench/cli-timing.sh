#!/usr/bin/env bash
# Times the batch tool as whole processes on generated marker files of 100k
# and 1M rows: import, a circular view, a linear view, and a PNG export of
# each. Every step runs under /usr/bin/time -v; the table shows its wall
# time and peak memory. Targets: import + circular view + PNG export under
# 0.5 s for 100k rows, and under 3 s in all and 400 MB peak for 1M rows.
#
# usage: bench/cli-timing.sh [path/to/karyoquill-cli]   (use a Release build)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cli="${1:-$here/../build/bin/karyoquill-cli}"
[[ -x "$cli" ]] || { echo "no batch tool at $cli; build it first (./run.sh)" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "/usr/bin/time is missing (Debian package: time)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

# A deterministic bacterial-style annotation: genes of 300 to 1,800 bp with
# gaps, eight classes, both strands, a name per gene.
generate() {
  awk -v rows="$1" 'BEGIN {
    OFS = "\t"; print "start", "end", "class", "strand", "name"
    split("cds trna rrna ncrna pseudo repeat mobile regulatory", classes, " ")
    pos = 1; seed = 12345
    for (i = 1; i <= rows; i++) {
      seed = (seed * 1103515245 + 12345) % 2147483648
      len = 300 + int(seed / 2147483648 * 1500)
      seed = (seed * 1103515245 + 12345) % 2147483648
      gap = 10 + int(seed / 2147483648 * 200)
      cls = classes[1 + (i * 7 + int(seed / 65536)) % 8]
      print pos, pos + len - 1, cls, (seed % 2 ? "+" : "-"), "g" i
      pos += len + gap
    }
  }' > "$2"
}

# Runs one step under /usr/bin/time; prints "wall-seconds cpu-seconds
# megabytes". CPU time (user + system) shows the cost on a busy machine,
# where the wall time also counts waiting for a core.
measure() {
  local log="$work/time.log"
  if ! /usr/bin/time -v -o "$log" "$@" > "$work/out.txt" 2> "$work/err.txt"; then
    echo "step failed: $*" >&2; cat "$work/err.txt" >&2; exit 1
  fi
  awk -F': ' '
    /Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i] }
    /User time \(seconds\)/ { cpu += $2 }
    /System time \(seconds\)/ { cpu += $2 }
    /Maximum resident set size/ { kb = $2 }
    END { printf "%.2f %.2f %.0f\n", s, cpu, kb / 1024 }' "$log"
}

printf "%-8s %-22s %8s %8s %8s\n" rows step wall-s cpu-s "peak MB"
for rows in 100000 1000000; do
  data="$work/markers-$rows.tsv"
  project="$work/bench-$rows.kyql"
  generate "$rows" "$data"
  declare -A sec=() cpu=() mem=()
  run_step() {
    local name="$1"; shift
    read -r "sec[$name]" "cpu[$name]" "mem[$name]" < <(measure "$@")
    printf "%-8s %-22s %8s %8s %8s\n" "$rows" "$name" "${sec[$name]}" "${cpu[$name]}" "${mem[$name]}"
  }
  run_step import "$cli" import "$project" "$data" --start start --end end --class class \
    --direction strand --name name
  run_step "circular view" "$cli" view "$project" --circular \
    --entry file=1,class=cds,placement=Circle1 --entry file=1,class=trna,placement=Circle2 \
    --entry file=1,class=rrna,placement=Pin1 --entry file=1,class=mobile,placement=Circle3
  run_step "linear view" "$cli" view "$project" --linear --start 0 --end 2000000 --row-scale 200K \
    --entry file=1,class=cds,type=Arrow --entry file=1,class=trna,placement=Upper
  run_step "circular PNG export" "$cli" export "$project" --view 0 --format png --output "$work/c.png"
  run_step "linear PNG export" "$cli" export "$project" --view 1 --format png --output "$work/l.png"
  sum() { awk -v a="$1" -v b="$2" -v c="$3" 'BEGIN { printf "%.2f", a + b + c }'; }
  total=$(sum "${sec[import]}" "${sec[circular view]}" "${sec[circular PNG export]}")
  total_cpu=$(sum "${cpu[import]}" "${cpu[circular view]}" "${cpu[circular PNG export]}")
  peak=$(printf "%s\n" "${mem[import]}" "${mem[circular view]}" "${mem[circular PNG export]}" | sort -n | tail -1)
  printf "%-8s %-22s %8s %8s %8s\n" "$rows" "import+circular+PNG" "$total" "$total_cpu" "$peak"
  unset sec cpu mem
done
