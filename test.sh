#!/usr/bin/env bash
# Builds KORIMU with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh --test
build=build/asan
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORIMU_SANITIZE=ON >/dev/null
cmake --build "$build" -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
status=0
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@" || status=$?
# ctest lists skipped tests without their reasons: print the reason GoogleTest gave for each.
awk '/^[0-9]+\/[0-9]+ Test: / { test = $3 }
     /: Skipped$/ { getline reason; print "skipped: " test ": " reason }' \
  "$build/Testing/Temporary/LastTest.log" 2>/dev/null || true
exit "$status"
