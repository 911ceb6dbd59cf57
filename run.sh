#!/usr/bin/env bash
# Installs what is missing, builds a Release tree in build/ and runs the main job.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKQ_BUILD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"

if [[ -x scripts/demo.sh ]]; then
  exec scripts/demo.sh build/bin/karyoquill-cli
fi
echo "Built into build/. The batch tool and the demo project are not there yet."
