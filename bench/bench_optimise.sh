#!/usr/bin/env bash
# Optimising animations for size: Velmora at each quality level against gifsicle -O3 and
# ImageMagick -layers optimize. Prints file size, time, and the peak signal-to-noise ratio
# of each result's composed frames against the input's (composed by FFmpeg's GIF decoder, which
# applies every frame's disposal method; averaged over all frames).
#
# Usage: bench/bench_optimise.sh [VELMORA_CLI] [FRAMES]
#   VELMORA_CLI defaults to build/opt-rel/src/velmora-cli (a Release build), FRAMES to 100.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
cli="${1:-$here/build/opt-rel/src/velmora-cli}"
frames="${2:-100}"
for tool in ffmpeg gifsicle convert bc; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 1; }
done
[ -x "$cli" ] || { echo "no velmora-cli at $cli" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Full frames, no cropping or transparency of FFmpeg's own, a palette per animation.
unoptimised_gif() {  # $1 = lavfi graph, $2 = output
    ffmpeg -loglevel error -y -f lavfi -i "$1" -frames:v "$frames" \
        -vf "trim=end_frame=$frames,split[a][b];[a]palettegen=stats_mode=full[p];[b][p]paletteuse=dither=none" \
        -gifflags -offsetting-transdiff "$2"
}

# FFmpeg's test pattern: a moving gradient, a clock, scrolling parts.
unoptimised_gif "testsrc2=size=320x240:rate=10" "$work/testsrc2.gif"
# Like a screen recording: a still desktop with a window, a cursor moving across it and
# a line of "text" growing a little each frame.
unoptimised_gif "color=c=0x3060A0:s=320x240:r=10,
drawbox=x=20:y=20:w=220:h=150:color=0xF0F0F0:t=fill,
drawbox=x=20:y=20:w=220:h=14:color=0x203070:t=fill[desk];
color=c=0x202020:s=200x5:r=10[text];
color=c=0xE04020:s=10x14:r=10[cursor];
[desk][text]overlay=x='30-200+2*mod(n\,100)':y=60:eval=frame[typed];
[typed]drawbox=x=0:y=0:w=30:h=240:color=0x3060A0:t=fill,
drawbox=x=20:y=20:w=10:h=150:color=0xF0F0F0:t=fill[clipped];
[clipped][cursor]overlay=x='40+mod(n*7\,260)':y='100+mod(n*3\,120)':eval=frame" \
    "$work/screen.gif"

now() { date +%s.%N; }

# Peak signal-to-noise ratio of the composed frames of $2 against those of $1.
psnr() {
    local line
    line="$(ffmpeg -hide_banner -nostats -i "$2" -i "$1" \
        -lavfi "[0:v]format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr" -f null - 2>&1 |
        grep -o 'average:[0-9.inf]*' | tail -1)"
    line="${line#average:}"
    case "$line" in inf*|"") echo "inf" ;; *) printf '%.1f' "$line" ;; esac
}

printf '%-10s %-26s %10s %8s %8s\n' input tool bytes seconds "PSNR dB"
for input in testsrc2 screen; do
    src="$work/$input.gif"
    printf '%-10s %-26s %10d %8s %8s\n' "$input" "(input)" "$(stat -c %s "$src")" - -
    run() {  # $1 = label, $2 = output, rest = command
        local label="$1" out="$2"
        shift 2
        local t0 t1
        t0="$(now)"
        "$@" >/dev/null 2>&1
        t1="$(now)"
        printf '%-10s %-26s %10d %8.2f %8s\n' "$input" "$label" "$(stat -c %s "$out")" \
            "$(echo "$t1 - $t0" | bc)" "$(psnr "$src" "$out")"
    }
    for q in 1 2 3 4 5; do
        run "velmora --quality $q" "$work/v$q.gif" "$cli" optimize "$src" -o "$work/v$q.gif" --quality "$q"
    done
    run "gifsicle -O3" "$work/gs.gif" gifsicle -O3 "$src" -o "$work/gs.gif"
    run "convert -layers optimize" "$work/im.gif" convert "$src" -layers optimize "$work/im.gif"
done
