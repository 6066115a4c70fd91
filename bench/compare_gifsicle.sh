#!/usr/bin/env bash
# File size against gifsicle on animations made here: a screen recording (text typed into
# a terminal-like window, a blinking cursor, the window scrolling), FFmpeg's testsrc2 and
# mandelbrot, a pan over ImageMagick's rose photo, and an animation with transparency.
# For each input: its size; velmora-cli optimize at quality 1, 3 and 5; gifsicle -O3; both
# at lossy 20 and 80; the bytes, the ratio to gifsicle -O3, the seconds taken and the
# mean and the worst frame's PSNR against the input (FFmpeg's psnr filter, frames matched
# by time).
# Last, the time to optimise 100 frames of 640x480.
#
# Usage: bench/compare_gifsicle.sh [VELMORA_CLI] [FRAMES]
#   VELMORA_CLI defaults to build/release/src/velmora-cli, FRAMES (per input) to 60.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
cli="${1:-$here/build/release/src/velmora-cli}"
frames="${2:-60}"
for tool in ffmpeg gifsicle convert bc awk; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 1; }
done
[ -x "$cli" ] || { echo "no velmora-cli at $cli" >&2; exit 1; }
font=/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf
[ -f "$font" ] || { echo "needs $font (fonts-dejavu-core)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Full frames on one palette, no cropping or transparency of FFmpeg's own.
full_frames_gif() {  # $1 = input options, $2 = output, $3 = frames
    # shellcheck disable=SC2086
    ffmpeg -loglevel error -y $1 -frames:v "$3" \
        -vf "trim=end_frame=$3,split[a][b];[a]palettegen=stats_mode=full[p];[b][p]paletteuse=dither=none" \
        -gifflags -offsetting-transdiff "$2"
}

# A terminal: a line typed three characters a frame, the window scrolling up one line
# when it is full, the cursor blinking while the next command waits.
make_screen() {
    local lines=() n k
    local text=("$ ls -la /usr/share/doc" "total 1284" "drwxr-xr-x  2 root root 4096 ."
        "$ make -j2 velmora-cli" "[12/81] Building CXX object" "$ git status --short"
        " M src/colour/Optimise.cpp" "$ ./velmora-cli optimize in.gif -o out.gif")
    mkdir -p "$work/screen"
    for ((n = 0; n < frames; ++n)); do
        k=$((n / 12 % ${#text[@]}))
        local line="${text[$k]}" shown=$(((n % 12) * 3))
        local typed="${line:0:$shown}"
        if ((n % 12 == 0 && n > 0)); then
            lines+=("${text[$(((k + ${#text[@]} - 1) % ${#text[@]}))]}")
        fi
        while ((${#lines[@]} > 9)); do lines=("${lines[@]:1}"); done
        local cmd=(convert -size 320x200 xc:'#1c1f24' -fill '#3a3f48' -draw 'rectangle 0,0 319,16'
            -font "$font" -pointsize 11 -fill '#e0e0e0' -annotate +8+12 'terminal')
        local y=34 l
        for l in "${lines[@]}"; do
            cmd+=(-fill '#c8d0c0' -annotate "+6+$y" "$l")
            y=$((y + 16))
        done
        cmd+=(-fill '#c8d0c0' -annotate "+6+$y" "${typed:- }")
        # The cursor is always on while typing, and blinks once the line is complete.
        if ((shown < ${#line} || (n / 3) % 2 == 0)); then
            local cx=$((6 + 7 * ${#typed}))
            cmd+=(-fill '#c8d0c0' -draw "rectangle $cx,$((y - 10)) $((cx + 6)),$((y + 2))")
        fi
        "${cmd[@]}" "$work/screen/$(printf '%04d' "$n").png"
    done
    full_frames_gif "-framerate 10 -i $work/screen/%04d.png" "$work/screen.gif" "$frames"
}

# A ball and a box crossing a transparent canvas, each frame cleared.
make_transparent() {
    local args=() n x
    for ((n = 0; n < frames; ++n)); do
        x=$((10 + (n * 5) % 220))
        args+=(\( -size 240x80 xc:none -fill '#d04020' -draw "circle $x,40 $((x + 12)),40"
            -fill '#2060c0' -draw "rectangle $((230 - x)),10 $((250 - x)),30" \))
    done
    convert -delay 8 -dispose Background "${args[@]}" -loop 0 "$work/transparent.gif"
}

convert rose: -resize 640x460! "$work/rose.png"
make_screen
full_frames_gif "-f lavfi -i testsrc2=size=320x240:rate=10" "$work/testsrc2.gif" "$frames"
full_frames_gif "-f lavfi -i mandelbrot=size=320x240:rate=10" "$work/mandelbrot.gif" "$frames"
full_frames_gif "-f lavfi -i color=c=black:s=320x240:r=10[bg];movie=$work/rose.png[p];[bg][p]overlay=x=-t*30:y=-t*20:shortest=0" \
    "$work/pan.gif" "$frames"
make_transparent

now() { date +%s.%N; }

# The mean and the worst frame's PSNR of $2 against $1, frames matched by their times
# (a frame equal to the input counts as 99 dB in the mean).
psnr() {
    ffmpeg -hide_banner -nostats -loglevel error -i "$2" -i "$1" \
        -lavfi "[0:v]format=rgb24[a];[1:v]format=rgb24[b];[a][b]psnr=stats_file=$work/psnr.log" \
        -f null - >/dev/null 2>&1 || { echo "? ?"; return; }
    awk '{ for (i = 1; i <= NF; ++i) if ($i ~ /^psnr_avg:/) { v = substr($i, 10);
               sum += (v == "inf" ? 99 : v); ++n;
               if (v != "inf" && (min == "" || v + 0 < min)) min = v + 0 } }
         END { printf "%8.1f %8s\n", sum / n, (min == "" ? "inf" : sprintf("%.1f", min)) }' \
        "$work/psnr.log"
}

printf '%-11s %-24s %9s %7s %8s %8s %8s\n' input tool bytes "x -O3" seconds "mean dB" "worst dB"
for input in screen testsrc2 mandelbrot pan transparent; do
    src="$work/$input.gif"
    printf '%-11s %-24s %9d %7s %8s %8s %8s\n' "$input" "(input)" "$(stat -c %s "$src")" - - - -
    gifsicle -O3 "$src" -o "$work/ref.gif"
    ref="$(stat -c %s "$work/ref.gif")"
    run() {  # $1 = label, $2 = output, rest = command
        local label="$1" out="$2" t0 t1 bytes
        shift 2
        t0="$(now)"
        "$@" >/dev/null 2>&1
        t1="$(now)"
        bytes="$(stat -c %s "$out")"
        printf '%-11s %-24s %9d %7.3f %8.2f %s\n' "$input" "$label" "$bytes" \
            "$(echo "$bytes / $ref" | bc -l)" "$(echo "$t1 - $t0" | bc)" "$(psnr "$src" "$out")"
    }
    for q in 1 3 5; do
        run "velmora --quality $q" "$work/v$q.gif" "$cli" optimize "$src" -o "$work/v$q.gif" --quality "$q"
    done
    run "gifsicle -O3" "$work/gs.gif" gifsicle -O3 "$src" -o "$work/gs.gif"
    for l in 20 80; do
        run "velmora -q1 --lossy $l" "$work/vl$l.gif" "$cli" optimize "$src" -o "$work/vl$l.gif" \
            --quality 1 --lossy "$l"
        run "gifsicle -O3 --lossy=$l" "$work/gl$l.gif" gifsicle -O3 --lossy="$l" "$src" -o "$work/gl$l.gif"
    done
done

# Speed: 100 frames of 640x480.
full_frames_gif "-f lavfi -i testsrc2=size=640x480:rate=10" "$work/big.gif" 100
t0="$(now)"
"$cli" optimize "$work/big.gif" -o "$work/big-v.gif" --quality 1 >/dev/null 2>&1
t1="$(now)"
gifsicle -O3 "$work/big.gif" -o "$work/big-g.gif"
t2="$(now)"
printf '\n100 frames 640x480: velmora --quality 1 %.2f s (%d bytes), gifsicle -O3 %.2f s (%d bytes)\n' \
    "$(echo "$t1 - $t0" | bc)" "$(stat -c %s "$work/big-v.gif")" \
    "$(echo "$t2 - $t1" | bc)" "$(stat -c %s "$work/big-g.gif")"
