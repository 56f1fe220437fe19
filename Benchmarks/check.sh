#!/usr/bin/env bash
# check's speed against FFmpeg's own decoding, measured in one run on this
# machine: the whole-file check (every frame, all the sound) of
#   - a barsandtone export of HD bars, ProRes 422 HQ at 1080, whose repeated
#     packets are measured once;
#   - a file FFmpeg made from its own HD bars with prores_ks (422 HQ, 1080),
#     each of whose packets is coded anew;
#   - the same bars as x264 4:2:0 in an MPEG transport stream, where every
#     frame is decoded;
# against `ffmpeg -i FILE -f null -` on the same files. Prints frames per
# second and the ratio (check ÷ FFmpeg) with the machine's load. Needs
# `make build` first and Debian's ffmpeg. Compare ratios of one run.
#
#   Benchmarks/check.sh                 # 60 s files
#   SECONDS_LONG=10 Benchmarks/check.sh # a quicker one
set -euo pipefail
shopt -s inherit_errexit

cd "$(dirname "$0")/.."
BT=${BT:-build/bin/barsandtone}
SECONDS_LONG=${SECONDS_LONG:-60}
[ -x "$BT" ] || { echo "check bench: $BT is missing; run make build first" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "check bench: ffmpeg is missing (apt-get install ffmpeg)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
rate() { awk -v n="$1" -v s="$2" 'BEGIN { printf "%.1f", n / s }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
frames=$((SECONDS_LONG * 25))

"$BT" -q new -o "$work/hd.json" --seq-size 1920x1080 --seq-rate 25 --tone identify --identifier ebu1000
"$BT" -q export "$work/hd.json" -o "$work/ours.mov" --profile hq --duration "$SECONDS_LONG"
ffmpeg -v error -f lavfi -i "smptehdbars=size=1920x1080:rate=25" -f lavfi -i "sine=frequency=1000:sample_rate=48000" \
  -t "$SECONDS_LONG" -c:v prores_ks -profile:v 3 -pix_fmt yuv422p10le -c:a pcm_s24le "$work/ffmpeg.mov"
ffmpeg -v error -i "$work/ours.mov" -c:v libx264 -pix_fmt yuv420p -c:a mp2 -f mpegts "$work/x264.ts"

row() { printf '%-44s %14s %14s %8s\n' "$@"; }
row "file ($SECONDS_LONG s, $frames frames)" "check fps" "ffmpeg fps" "ratio"
for name in ours.mov ffmpeg.mov x264.ts; do
  file="$work/$name"
  t0=$(now); ffmpeg -v error -i "$file" -f null - ; t1=$(now)
  # check's verdict on FFmpeg's bars is not ours to judge here: only its time.
  "$BT" -q check "$file" || true
  t2=$(now)
  ours=$(rate "$frames" "$(elapsed "$t1" "$t2")")
  theirs=$(rate "$frames" "$(elapsed "$t0" "$t1")")
  case $name in
    ours.mov) what="barsandtone export, ProRes 422 HQ" ;;
    ffmpeg.mov) what="FFmpeg's bars, prores_ks 422 HQ" ;;
    *) what="the export as x264 4:2:0 in a TS" ;;
  esac
  row "$what" "$ours" "$theirs" "$(ratio "$ours" "$theirs")"
done
echo "Load average during the run: $(cut -d' ' -f1-3 /proc/loadavg)."
