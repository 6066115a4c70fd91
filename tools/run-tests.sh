#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite:
#  1. everything in the Release build that tools/start-editor.sh makes for users;
#  2. everything again under AddressSanitizer and UndefinedBehaviorSanitizer;
#  3. the threading tests again under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh

jobs=$(nproc)
# ccache keys on paths relative to the checkout, so clones and worktrees share it.
export CCACHE_BASEDIR=$PWD
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVELMORA_TESTS=ON -DVELMORA_BENCH=OFF >/dev/null
cmake --build build/release -j "$jobs"
ctest --test-dir build/release -j "$jobs" --output-on-failure --no-tests=error

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DVELMORA_SANITIZE=address,undefined -DVELMORA_BENCH=OFF >/dev/null
cmake --build build/asan -j "$jobs"
ctest --test-dir build/asan -j "$jobs" --output-on-failure --no-tests=error

cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" -DVELMORA_SANITIZE=thread \
    -DVELMORA_GUI=OFF -DVELMORA_BENCH=OFF >/dev/null
cmake --build build/tsan -j "$jobs" --target velmora_threading_tests
ctest --test-dir build/tsan -j "$jobs" -L threading --output-on-failure --no-tests=error
