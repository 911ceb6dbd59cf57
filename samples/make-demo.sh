#!/usr/bin/env bash
# Builds samples/demo.kyql from the bundled marker files with the batch tool:
# a circular map of human chromosome 1's bands (rings and pins) and a linear
# map of the Klebsiella KL34 capsule locus (arrows with gene names).
#
# usage: samples/make-demo.sh [path/to/karyoquill-cli] [output.kyql]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cli="${1:-$here/../build/bin/karyoquill-cli}"
project="${2:-$here/demo.kyql}"
data="$here/data"

rm -f "$project"

# File 1: chromosome 1 bands (start, end, stain, band name).
"$cli" import "$project" "$data/human_hg19_chr1_bands.tsv" \
  --start start --end end --class stain --name band
# File 2: KL34 coding sequences (start, end, gene family, strand, gene).
"$cli" import "$project" "$data/klebsiella_KL34_cds.tsv" \
  --start start --end end --class class --direction strand --name gene

# A view's name is also the title drawn on its map.
"$cli" view "$project" --circular --name "Human chromosome 1 (hg19)" \
  --legend-title "Giemsa stain" \
  --genome-length 249250621 --scale-divides 10 \
  --entry "file=1,class=gneg,placement=Circle1,color=#d9d9d9" \
  --entry "file=1,class=gpos25,placement=Circle2,color=#a6a6a6" \
  --entry "file=1,class=gpos50,placement=Circle3,color=#737373" \
  --entry "file=1,class=gpos75,placement=Circle4,color=#404040" \
  --entry "file=1,class=gpos100,placement=Circle5,color=#000000" \
  --entry "file=1,class=acen,legend=centromere,placement=Pin1,color=#c0392b" \
  --entry "file=1,class=gvar,legend=variable,placement=Pin2,color=#2471a3"

"$cli" view "$project" --linear --name "Klebsiella K locus KL34" \
  --legend-title "Gene family" \
  --genome-length 21428 --start 0 --end 21428 --row-scale 5000 \
  --entry "file=2,class=gal,placement=Bottom,type=Arrow,color=#1f77b4" \
  --entry "file=2,class=cps,placement=Bottom,type=Arrow,color=#ff7f0e" \
  --entry "file=2,class=wzi,placement=Bottom,type=Arrow,color=#2ca02c" \
  --entry "file=2,class=wza,placement=Bottom,type=Arrow,color=#d62728" \
  --entry "file=2,class=wzb,placement=Bottom,type=Arrow,color=#9467bd" \
  --entry "file=2,class=wzc,placement=Bottom,type=Arrow,color=#8c564b" \
  --entry "file=2,class=wzy,placement=Bottom,type=Arrow,color=#e377c2" \
  --entry "file=2,class=wca,placement=Bottom,type=Arrow,color=#7f7f7f" \
  --entry "file=2,class=wcl,placement=Bottom,type=Arrow,color=#bcbd22" \
  --entry "file=2,class=rml,placement=Bottom,type=Arrow,color=#17becf" \
  --entry "file=2,class=gnd,placement=Bottom,type=Oval,color=#aec7e8" \
  --entry "file=2,class=ugd,placement=Bottom,type=Oval,color=#ffbb78" \
  --entry "file=2,class=CDS,legend=unnamed CDS,placement=Upper,color=#444444"

echo "$project"
