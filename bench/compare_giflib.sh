#!/usr/bin/env bash
# Whole-process comparison of the GIF codec with giflib on generated animations:
#   decoding: velmora-cli info FILE   against   giflib_tool slurp FILE   (DGifSlurp)
#   encoding: velmora-cli convert FILE -o OUT against giflib_tool spew FILE OUT (EGifSpew)
# Usage: bench/compare_giflib.sh [BUILD_DIR] [RUNS]   (BUILD_DIR: a Release build with benchmarks)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/gif-rel}
runs=${2:-5}
cli="$build/src/velmora-cli"
giflib="$build/bench/giflib_tool"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# 120 frames of 640 x 480: full frames with a per-frame palette, and FFmpeg's optimised
# frames (sub-rectangles, transparency).
ffmpeg -v error -f lavfi -t 12 -i "mandelbrot=size=640x480:rate=10" -vf \
    "split[a][b];[a]palettegen=stats_mode=single[p];[b][p]paletteuse=new=1" "$work/mandelbrot.gif" </dev/null
ffmpeg -v error -f lavfi -t 12 -i "testsrc2=size=640x480:rate=10" "$work/testsrc2.gif" </dev/null

best() {  # best wall time of $runs runs, in seconds
    local b=999999 s e
    for _ in $(seq "$runs"); do
        s=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        e=$(date +%s.%N)
        b=$(awk -v s="$s" -v e="$e" -v b="$b" 'BEGIN{t = e - s; printf "%.3f", (t < b) ? t : b}')
    done
    echo "$b"
}

printf "%-16s %10s %10s %7s   %10s %10s %7s\n" file "info s" "slurp s" ratio "convert s" "spew s" ratio
for f in "$work"/*.gif; do
    d1=$(best "$cli" info "$f")
    d2=$(best "$giflib" slurp "$f")
    e1=$(best "$cli" convert "$f" -o "$work/out-velmora.gif")
    e2=$(best "$giflib" spew "$f" "$work/out-giflib.gif")
    printf "%-16s %10s %10s %7s   %10s %10s %7s\n" "$(basename "$f")" "$d1" "$d2" \
        "$(awk -v a="$d1" -v b="$d2" 'BEGIN{printf "%.2f", a/b}')" "$e1" "$e2" \
        "$(awk -v a="$e1" -v b="$e2" 'BEGIN{printf "%.2f", a/b}')"
done
echo "ratio = Velmora time / giflib time (below 1: Velmora is faster)"
