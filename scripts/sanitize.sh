#!/usr/bin/env bash
# The engine, money, record-set and rules tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ beside the normal build; any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
export CCACHE_BASEDIR="$PWD"
# The rules tests link the rules libraries alone (no window code); the fleet's amounts are tested
# beside its photos, so they stay out.
tests=(test_money_dates test_engine test_recordset test_creation test_rental_rules test_rental_settlement
       test_journal test_stats_reports)
# Only the test folders and targets these need; -O1 keeps the build short and the stacks readable.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
  -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" -DVEL_SANITIZE=ON -DVEL_TEST_AREAS="data;rental;cash;stats" >/dev/null
cmake --build build-asan -j "$(nproc)" --target "${tests[@]}"
cd build-asan
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
QT_QPA_PLATFORM=offscreen ctest -R "^($(IFS='|'; echo "${tests[*]}"))\$" --output-on-failure -j "$(nproc)"
