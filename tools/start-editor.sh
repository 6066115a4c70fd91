#!/usr/bin/env bash
# Installs what is missing, builds the editor (release) and starts it, on FILE or the sample.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
export CCACHE_BASEDIR=$PWD
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVELMORA_BENCH=OFF >/dev/null
cmake --build build/release --target velmora velmora-cli
exec build/release/src/velmora "$@"
