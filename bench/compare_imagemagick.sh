#!/usr/bin/env bash
# Whole-process comparison of our colour reduction with ImageMagick's on the same
# frames: N photo-like 640x480 frames written as PNG, reduced to 255 colours without
# dithering by `convert -colors 255 +dither` (one process for all frames) and by
# bench_reduction --reduce-png (one process, the document's worker pool).
# Usage: bench/compare_imagemagick.sh [build dir (default build/colour-rel)] [frames (default 100)]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/colour-rel}
frames=${2:-100}
bench=$build/bench/bench_reduction
if [[ ! -x $bench ]]; then
    echo "build $bench first (a Release build: cmake --build $build --target bench_reduction)" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The frames: windows drifting across one fractal plasma with noise.
convert -size 1280x960 -seed 7 plasma:fractal -blur 0x2 -attenuate 0.4 +noise Gaussian \
    "$work/source.png"
for ((i = 0; i < frames; i++)); do
    printf -v name '%s/frame%03d.png' "$work" "$i"
    convert "$work/source.png" -crop "640x480+$(((i * 7) % 640))+$(((i * 5) % 480))" +repage "$name"
done

seconds() { date +%s.%N; }
start=$(seconds)
convert "$work"/frame*.png +dither -colors 255 null:
im=$(echo "$(seconds) - $start" | bc)

start=$(seconds)
"$bench" --reduce-png "$work"/frame*.png
ours=$(echo "$(seconds) - $start" | bc)

printf 'ImageMagick convert -colors 255 +dither: %d frames in %.3f s (reading PNGs, reducing)\n' "$frames" "$im"
printf 'velmora reduction:                       %d frames in %.3f s (reading PNGs, reducing)\n' "$frames" "$ours"
