#!/usr/bin/env bash
# The main job until the windows exist: build the demo project with the batch
# tool and export both of its maps as PNG into out/.
#
# usage: scripts/demo.sh [path/to/karyoquill-cli]
set -euo pipefail
cd "$(dirname "$0")/.."
cli="${1:-build/bin/karyoquill-cli}"

samples/make-demo.sh "$cli" samples/demo.kyql >/dev/null
mkdir -p out
"$cli" export samples/demo.kyql --view 0 --format png --output out/chromosome1-circular.png
"$cli" export samples/demo.kyql --view 1 --format png --output out/kl34-linear.png
"$cli" info samples/demo.kyql
echo
echo "Maps written:"
ls -1d "$PWD"/out/chromosome1-circular.png "$PWD"/out/kl34-linear.png*
