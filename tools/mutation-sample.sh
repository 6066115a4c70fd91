#!/usr/bin/env bash
# Measures how many faults the suite catches: applies N random small mutations (flip a
# comparison, change a constant by one, drop a statement) to files under the given
# folders of src/, one at a time; rebuilds the Release configuration incrementally;
# runs the test programs that cover the mutated folder; prints how many mutants the
# tests killed and lists the survivors. A mutant whose object file comes out byte for byte
# the original's (the compiler proved it equivalent), that tools/mutation-equivalent.tsv
# lists as judged equivalent, or that does not build is not counted: another is drawn in
# its place, so that N mutants are counted. Outcomes are recorded in
# build/mutation/mutation-sample.jsonl, so that --from K tells the whole sample and
# --again K,L runs mutants of it again after the tests changed.
#
#   tools/mutation-sample.sh [-n N] [-s SEED] [--from K | --again K,L...] [FOLDER...]
#   (default: -n 60 src/gif src/colour src/effects/renderers)
#
# The source files are restored after each mutant, also when interrupted.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
export CCACHE_BASEDIR=$PWD
cmake -S . -B build/mutation -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BENCH=OFF >/dev/null
cmake --build build/mutation -j "$(nproc)" >/dev/null
exec python3 tools/mutation_sample.py --build build/mutation "$@"
