#!/usr/bin/env bash
# Video clips to GIF against FFmpeg's two-pass palettegen/paletteuse. Clips are made here:
# a pan over ImageMagick's wizard photo, FFmpeg's mandelbrot and testsrc2, and a screen
# recording (a command typed into a terminal-like window), SECONDS long at 30 frames per
# second, at 320x240 and 640x480. Each is converted at 15 frames per second and its own
# size by velmora-cli with the exact and the quality palette (plain; --optimize 1 with
# --shared-palette; --optimize 3 --lossy 40), and by FFmpeg. For each: the
# bytes, the mean and worst frame's PSNR and the mean SSIM against the clip at 15 frames
# per second (FFmpeg's filters), the wall time and peak memory.
# With LONG=1, last: the peak memory of a 60 s 640x480 clip at 15 frames per second.
#
# Usage: bench/compare_video.sh [VELMORA_CLI] [SECONDS]
#   VELMORA_CLI defaults to build/release/src/velmora-cli, SECONDS to 3.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
cli="${1:-$here/build/release/src/velmora-cli}"
seconds="${2:-3}"
for tool in ffmpeg convert awk /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "needs $tool" >&2; exit 1; }
done
[ -x "$cli" ] || { echo "no velmora-cli at $cli" >&2; exit 1; }
font=/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf
[ -f "$font" ] || { echo "needs $font (fonts-dejavu-core)" >&2; exit 1; }

work="$(mktemp -d)"
# Every other frame of a 30 fps clip: 15 frames per second from the first one.
half="select='not(mod(n,2))',setpts=N/15/TB"
trap 'rm -rf "$work"' EXIT
convert wizard: -resize 1280x960! "$work/photo.png"

make_clip() {  # $1 = kind, $2 = WxH, $3 = output
    local size="$2" w="${2%x*}" h="${2#*x}" lossless=(-c:v libx264 -qp 0 -pix_fmt yuv444p)
    case "$1" in
        pan)
            ffmpeg -loglevel error -y -loop 1 -framerate 30 -i "$work/photo.png" -t "$seconds" -r 30 \
                -vf "crop=$w:$h:'(iw-$w)*t/$seconds':'(ih-$h)*t/(2*$seconds)'" "${lossless[@]}" "$3" ;;
        mandelbrot | testsrc2)
            ffmpeg -loglevel error -y -f lavfi -i "$1=size=$size:rate=30" -t "$seconds" \
                "${lossless[@]}" "$3" ;;
        screen)
            # The text is uncovered eight characters a second as if typed, by a cover
            # sliding off it.
            ffmpeg -loglevel error -y -f lavfi -i "color=c=0x1c1f24:size=$size:rate=30" \
                -f lavfi -i "color=c=0x1c1f24:size=$size:rate=30" -t "$seconds" -filter_complex \
                "[0:v]drawbox=x=0:y=0:w=iw:h=18:color=0x3a3f48:t=fill,\
drawtext=fontfile=$font:text='terminal':x=8:y=3:fontsize=12:fontcolor=0xe0e0e0,\
drawtext=fontfile=$font:text='\$ make -j2 velmora-cli && ./velmora-cli --help':x=6:y=30:fontsize=13:fontcolor=0xc8d0c0,\
drawtext=fontfile=$font:text='[12/81] Building CXX object src/colour':x=6:y=48:fontsize=13:fontcolor=0xc8d0c0[text];\
[text][1:v]overlay=x='6+t*64':y=28:shortest=1" "${lossless[@]}" "$3" ;;
    esac
}

# "bytes seconds peakKiB" of a command writing $1.
measure() {  # $1 = output, rest = command
    local out="$1"
    shift
    /usr/bin/time -o "$work/time.log" -f "%e %M" "$@" >/dev/null 2>&1
    echo "$(stat -c %s "$out") $(tail -1 "$work/time.log")"
}

# "meanPSNR worstPSNR meanSSIM" of a GIF against the clip at 15 frames per second (its
# frames 0, 2, 4, ...): both are decoded to numbered pictures, so that the n-th frame of
# one meets the n-th of the other whatever their times.
quality() {  # $1 = gif, $2 = clip
    rm -rf "$work/frames"
    mkdir "$work/frames"
    ffmpeg -loglevel error -i "$1" -fps_mode passthrough "$work/frames/g%05d.png"
    ffmpeg -loglevel error -i "$2" -vf "$half" -fps_mode passthrough "$work/frames/r%05d.png"
    ffmpeg -loglevel error -i "$work/frames/g%05d.png" -i "$work/frames/r%05d.png" -lavfi \
        "[0:v]format=rgb24,split[g1][g2];[1:v]format=rgb24,split[r1][r2];\
[g1][r1]psnr=stats_file=$work/psnr.log;[g2][r2]ssim=stats_file=$work/ssim.log" -f null - 2>/dev/null
    awk '{for (i = 1; i <= NF; ++i) if ($i ~ /^psnr_avg:/) { split($i, v, ":");
            p = v[2] == "inf" ? 99 : v[2]; sum += p; n++; if (n == 1 || p < worst) worst = p } }
         END { printf "%.2f %.2f ", sum / n, worst }' "$work/psnr.log"
    awk '{for (i = 1; i <= NF; ++i) if ($i ~ /^All:/) { split($i, v, ":"); sum += v[2]; n++ } }
         END { printf "%.4f", sum / n }' "$work/ssim.log"
}

echo "load before: $(uptime)"
printf "%-11s %-8s %-16s %10s %7s %7s %7s %7s %8s %6s\n" clip size converter bytes "PSNR" worst SSIM seconds "peakMiB" load
for kind in pan mandelbrot testsrc2 screen; do
    for size in 320x240 640x480; do
        clip="$work/$kind-$size.mkv"
        make_clip "$kind" "$size" "$clip"
        for how in exact quality shared lossy ffmpeg; do
            out="$work/out-$how.gif"
            case "$how" in
                exact | quality)
                    m=$(measure "$out" "$cli" convert "$clip" -o "$out" --fps 15 --palette "$how") ;;
                shared)
                    m=$(measure "$out" "$cli" convert "$clip" -o "$out" --fps 15 --palette quality \
                        --optimize 1 --shared-palette) ;;
                lossy)
                    m=$(measure "$out" "$cli" convert "$clip" -o "$out" --fps 15 --palette quality \
                        --optimize 3 --lossy 40) ;;
                ffmpeg)
                    m=$(measure "$out" sh -c "ffmpeg -loglevel error -y -i '$clip' -vf \"$half,palettegen\" \
'$work/palette.png' && ffmpeg -loglevel error -y -i '$clip' -i '$work/palette.png' \
-lavfi \"$half[v];[v][1:v]paletteuse=dither=sierra2_4a\" '$out'") ;;
            esac
            read -r bytes secs peak <<<"$m"
            read -r psnr worst ssim <<<"$(quality "$out" "$clip")"
            printf "%-11s %-8s %-16s %10d %7s %7s %7s %7s %8d %6s\n" "$kind" "$size" "$how" "$bytes" \
                "$psnr" "$worst" "$ssim" "$secs" "$((peak / 1024))" "$(cut -d' ' -f1 /proc/loadavg)"
        done
    done
done

if [ "${LONG:-0}" = 1 ]; then
    clip="$work/long.mkv"
    ffmpeg -loglevel error -y -f lavfi -i "testsrc2=size=640x480:rate=30" -t 60 \
        -c:v libx264 -qp 0 -pix_fmt yuv444p "$clip"
    for how in exact quality; do
        m=$(measure "$work/long.gif" "$cli" convert "$clip" -o "$work/long.gif" --fps 15 --palette "$how")
        read -r bytes secs peak <<<"$m"
        echo "60 s of 640x480 at 15 fps, $how palette: $bytes bytes, $secs s, peak $((peak / 1024)) MiB, load $(cut -d' ' -f1 /proc/loadavg)"
    done
fi
