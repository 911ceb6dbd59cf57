#!/usr/bin/env bash
# Installs what is missing, builds the test tree with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/, and runs the whole suite headless.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
jobs=$(nproc)

# The batch tool's tests run the Release program, as a user would.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKQ_BUILD_TESTS=OFF -DKQ_BUILD_BENCH=OFF >/dev/null
cmake --build build -j"$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKQ_SANITIZE=ON -DKQ_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions="$PWD/scripts/lsan.supp"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j"$jobs" "$@"
