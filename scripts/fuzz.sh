#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for the
# given number of minutes (default 5), starting from the seed corpus in
# fuzz/corpus/<target>. New inputs found go to build-fuzz/corpus/<target>;
# crashing inputs are left in build-fuzz/artifacts/<target>.
#
#   scripts/fuzz.sh MINUTES [TARGET...]    targets: project preferences
set -euo pipefail

minutes=${1:-5}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(project preferences)

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
jobs=${FUZZ_BUILD_JOBS:-2}

# Coverage instrumentation and sanitizers for every layer; the fuzzer's own
# main is linked only into the targets (fuzz/CMakeLists.txt).
CC=clang CXX=clang++ cmake -S "$root" -B "$build" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKQ_BUILD_FUZZ=ON -DKQ_BUILD_TESTS=OFF -DKQ_BUILD_BENCH=OFF -DKQ_SANITIZE=OFF \
  "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
  >/dev/null
cmake --build "$build" -j"$jobs" --target $(printf 'fuzz_%s_restore ' "${targets[@]}")

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp"

status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  artifacts="$build/artifacts/$target/"
  mkdir -p "$corpus" "$artifacts"
  echo "== fuzz_${target}_restore for $minutes minute(s)"
  # rss_limit: a hostile count must never make us allocate much.
  "$build/bin/fuzz_${target}_restore" "$corpus" "$root/fuzz/corpus/$target" \
    -max_total_time=$((minutes * 60)) -rss_limit_mb=1024 -malloc_limit_mb=256 \
    -max_len=65536 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$artifacts" || status=$?
done
exit $status
