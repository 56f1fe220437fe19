#!/usr/bin/env bash
# Speed against the peers, measured in one run on this machine:
#   pictures: barsandtone's export to a null sink (every frame asked of the
#     module and painted anew in float; and once more with each picture also
#     converted to 10-bit Y'CbCr as a file export does) against FFmpeg's HD
#     bars converted to a float format, at 1080p and 2160p;
#   sound: an hour of 5.1 BLITS and of a stereo steady tone through the
#     module in 1024-sample requests, against FFmpeg's float sine and a 5.1
#     aevalsrc expression of the BLITS cadence.
# Prints a table with the ratios. Needs `make build` first and Debian's ffmpeg.
#
#   Benchmarks/peers.sh                      # the full run (several minutes)
#   PICTURE_SECONDS=10 SOUND_SECONDS=600 Benchmarks/peers.sh   # a quicker one
set -euo pipefail

cd "$(dirname "$0")/.."
BT=${BT:-build/bin/barsandtone}
PICTURE_SECONDS=${PICTURE_SECONDS:-60}
SOUND_SECONDS=${SOUND_SECONDS:-3600}
# The expression source evaluates every sample of every channel anew: a
# stretch of five minutes gives its rate without an hour's wait.
AEVAL_SECONDS=${AEVAL_SECONDS:-300}
[ -x "$BT" ] || { echo "peers: $BT is missing; run make build first" >&2; exit 1; }
command -v ffmpeg >/dev/null || { echo "peers: ffmpeg is missing (apt-get install ffmpeg)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
rate() { awk -v n="$1" -v s="$2" 'BEGIN { printf "%.1f", n / s }'; }

# Our pictures: the clip's frames through selector 47, converted, dropped.
our_pictures() { # preset frames [--convert]
    "$BT" -q new -o "$work/pictures.json" --preset "$1" --video-rate 30
    "$BT" export "$work/pictures.json" --null --no-sound --no-progress --frames "$2" ${3:-} |
        sed -n 's/.*: \([0-9.]*\) frames per second.*/\1/p'
}

ffmpeg_pictures() { # size seconds
    local t0 t1
    t0=$(now)
    ffmpeg -hide_banner -loglevel error -nostats -f lavfi -i "smptehdbars=s=$1:r=30" \
        -vf format=gbrpf32le -t "$2" -f null -
    t1=$(now)
    rate "$(( $2 * 30 ))" "$(elapsed "$t0" "$t1")"
}

our_sound() { # clip seconds
    "$BT" tone "$1" --null --request 1024 --duration "$2" |
        sed -n 's/.*: \([0-9.]*\) samples per second per channel.*/\1/p'
}

ffmpeg_sound() { # seconds lavfi-source
    local t0 t1
    t0=$(now)
    ffmpeg -hide_banner -loglevel error -nostats -f lavfi -i "$2" -af aformat=sample_fmts=flt -t "$1" -f null -
    t1=$(now)
    rate "$(( $1 * 48000 ))" "$(elapsed "$t0" "$t1")"
}

# A stored 5.1 BLITS clip: six channels, identification format 3.
cat > "$work/blits.json" <<'JSON'
{ "format": "barsandtone clip", "formatVersion": 1, "name": "Bars and Tone - Rec 709",
  "settings": ["02 00 00 00 00 80 3B 47", "03 00 00 00 06 00 00 00", "01 00 00 00 00 00 7A 44",
               "00 00 80 3E 03 00 00 00", "80 07 00 00 38 04 00 00", "01 00 00 00 01 00 00 00",
               "00 6B 30 F9 01 00 00 00", "00 00 00 00 00 00 00 00", "01 00 00 00 00 00 00 00"] }
JSON
"$BT" -q new -o "$work/steady.json"

# The BLITS cadence in FFmpeg's expression language, in the file's 5.1 order
# (L R C LFE Ls Rs), 1024 samples per frame.
cycle='st(0,mod(t,13.4))'
on() { echo "gte(ld(0),$1)*lt(ld(0),$2)"; }
tone() { echo "0.125*sin(2*PI*$1*t)*$2"; }
last="0.0625*sin(2*PI*2000*t)*$(on 10.2 13.2)"
L="$cycle;$(tone 880 "$(on 0 0.6)")+$(tone 1000 "($(on 4.8 5.8)+$(on 6.1 6.4)+$(on 6.7 7.0)+$(on 7.3 7.6)+$(on 7.9 9.9))")+$last"
R="$cycle;$(tone 880 "$(on 0.8 1.4)")+$(tone 1000 "$(on 4.8 9.9)")+$last"
C="$cycle;$(tone 1320 "$(on 1.6 2.2)")+$last"
LFE="$cycle;$(tone 88.5 "$(on 2.4 3.0)")+$last"
LS="$cycle;$(tone 660 "$(on 3.2 3.8)")+$last"
RS="$cycle;$(tone 660 "$(on 4.0 4.6)")+$last"
aeval="aevalsrc='$L|$R|$C|$LFE|$LS|$RS':s=48000:c=5.1:n=1024"

echo "peers: measuring (pictures ${PICTURE_SECONDS} s of 30 fps, sound ${SOUND_SECONDS} s at 48 kHz) ..." >&2
frames=$(( PICTURE_SECONDS * 30 ))
p1_ours=$(our_pictures "HD Rec.709" "$frames");       p1_peer=$(ffmpeg_pictures 1920x1080 "$PICTURE_SECONDS")
p1_conv=$(our_pictures "HD Rec.709" "$frames" --convert)
p2_ours=$(our_pictures "UHD Rec.709" "$frames");      p2_peer=$(ffmpeg_pictures 3840x2160 "$PICTURE_SECONDS")
p2_conv=$(our_pictures "UHD Rec.709" "$frames" --convert)
s1_ours=$(our_sound "$work/steady.json" "$SOUND_SECONDS")
s1_peer=$(ffmpeg_sound "$SOUND_SECONDS" "sine=frequency=1000:sample_rate=48000")
s2_ours=$(our_sound "$work/blits.json" "$SOUND_SECONDS")
s2_peer=$(ffmpeg_sound "$AEVAL_SECONDS" "$aeval")

row() { printf '%-34s %18s %-28s %18s %8s  %s\n' "$@"; }
echo
row "measure" "barsandtone" "peer" "peer" "ratio" "target"
row "pictures 1920x1080 (frames/s)" "$p1_ours" "smptehdbars -> gbrpf32le" "$p1_peer" "$(ratio "$p1_ours" "$p1_peer")" ">= 3"
row "pictures 3840x2160 (frames/s)" "$p2_ours" "smptehdbars -> gbrpf32le" "$p2_peer" "$(ratio "$p2_ours" "$p2_peer")" ">= 3"
row "  1080p, and to 10-bit Y'CbCr" "$p1_conv" "smptehdbars -> gbrpf32le" "$p1_peer" "$(ratio "$p1_conv" "$p1_peer")" ""
row "  2160p, and to 10-bit Y'CbCr" "$p2_conv" "smptehdbars -> gbrpf32le" "$p2_peer" "$(ratio "$p2_conv" "$p2_peer")" ""
row "stereo steady (samples/s/ch)" "$s1_ours" "sine, flt" "$s1_peer" "$(ratio "$s1_ours" "$s1_peer")" ">= 1"
row "5.1 BLITS (samples/s/ch)" "$s2_ours" "sine, flt" "$s1_peer" "$(ratio "$s2_ours" "$s1_peer")" ">= 1"
row "5.1 BLITS (samples/s/ch)" "$s2_ours" "aevalsrc 5.1 BLITS, flt" "$s2_peer" "$(ratio "$s2_ours" "$s2_peer")" ""
