#!/usr/bin/env bash
# Is the picture at the ingest the same with the engine's rasteriser settings
# as with Mesa's own? Streams the looping clip twice with engine_bench (Mesa's
# default threads, then the engine's choice), decodes both recordings and
# prints the PSNR of the second against the first at the frame offset where
# they match best (the two streams start at different points of the loop).
#   bench/picture/run.sh [seconds=10] [build-folder=build]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-10}
build=${2:-$root/build}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$seconds" "$build"
fi
work=$(mktemp -d /tmp/zv-picture.XXXXXX)
trap 'rm -rf "$work"' EXIT
threads=$(nproc)
LP_NUM_THREADS=$threads ZV_BENCH_RECORDING=$work/mesa.flv \
    "$build/bench/engine/engine_bench" "$seconds" >"$work/mesa.log" 2>&1 ||
    { cat "$work/mesa.log"; exit 1; }
env -u LP_NUM_THREADS ZV_BENCH_RECORDING=$work/engine.flv \
    "$build/bench/engine/engine_bench" "$seconds" >"$work/engine.log" 2>&1 ||
    { cat "$work/engine.log"; exit 1; }
frames() { ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames \
    -of csv=p=0 "$1"; }
psnr() {  # offset: frames of the first recording skipped
    ffmpeg -nostdin -v error -i "$work/mesa.flv" -i "$work/engine.flv" -lavfi \
        "[0:v]trim=start_frame=$1,setpts=PTS-STARTPTS[a];[1:v]setpts=PTS-STARTPTS[b];[a][b]psnr=stats_file=-" \
        -f null - 2>/dev/null | awk '{for(i=1;i<=NF;i++) if($i ~ /^psnr_avg:/){split($i,v,":"); if(v[2]=="inf") v[2]=99; s+=v[2]; n++}} END {if(n) printf "%.2f %d\n", s/n, n; else print "0 0"}'
}
best=0; at=0; count=0
for offset in $(seq 0 $((seconds * 8))); do
    read -r value n < <(psnr "$offset")
    if [ "$n" -gt 8 ] && awk -v a="$value" -v b="$best" 'BEGIN {exit !(a > b)}'; then
        best=$value; at=$offset; count=$n
    fi
done
echo "frames: Mesa's threads ($threads) $(frames "$work/mesa.flv"), the engine's choice $(frames "$work/engine.flv")"
echo "PSNR of the engine's choice against Mesa's threads: $best dB over $count frames (offset $at)"
awk -v a="$best" 'BEGIN {exit !(a >= 40)}' && echo "same picture (PSNR >= 40 dB)" || { echo "the picture differs"; exit 1; }
