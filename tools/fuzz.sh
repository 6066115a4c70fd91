#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one: tools/fuzz.sh TARGET [SECONDS]
# Findings go to build/fuzz/findings/TARGET; keep the ones that mattered in
# tests/data/fuzz/TARGET so that the regression tests replay them.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
CXX=clang++ CC=clang cmake -S . -B build/fuzz -G Ninja -DVELMORA_FUZZ=ON -DVELMORA_GUI=OFF \
    -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
target=${1:?usage: tools/fuzz.sh TARGET [SECONDS]}
seconds=${2:-600}
cmake --build build/fuzz --target "$target"
mkdir -p "build/fuzz/corpus/$target" "build/fuzz/findings/$target"
seeds=()
[ -d "tests/data/fuzz/$target" ] && seeds+=("tests/data/fuzz/$target")
[ -d "tests/data/seeds/$target" ] && seeds+=("tests/data/seeds/$target")
"build/fuzz/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
    -artifact_prefix="build/fuzz/findings/$target/" "build/fuzz/corpus/$target" "${seeds[@]}"
