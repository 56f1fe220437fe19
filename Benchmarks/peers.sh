#!/usr/bin/env bash
# Speed against the peers, measured in one run on this machine:
#   pictures: barsandtone's export to a null sink (every frame asked of the
#     module and painted anew in float; and once more with each picture also
#     converted to 10-bit Y'CbCr as a file export does) against FFmpeg's HD
#     bars converted to a float format, at 1080p and 2160p;
#   sound: an hour of 5.1 BLITS and of a stereo steady tone through the
#     module in 1024-sample requests, against FFmpeg's float sine and a 5.1
#     aevalsrc expression of the BLITS cadence;
#   finished files: barsandtone export of HD bars with stereo 1000 Hz tone
#     against the same file made by FFmpeg from its own bars and sine (same
#     size, rate, codec, profile, pixel format and sound): ProRes 422 HQ at
#     1080 and 2160, DNxHR HQX in MXF and FFV1 in Matroska at 1080; and an
#     hour of UHD ProRes 422 HQ, extrapolated from a shorter stretch;
#   long-GOP finished files: H.264 High 1080 and HEVC Main 10 PQ 1080 and
#     2160 in MP4 with AAC, FFmpeg given our encoder settings (x264/x265
#     preset fast, constant quantiser, closed 2 s GOPs without B-frames,
#     the HDR10 description, faststart).
# Prints a table with the ratios and the machine's load. Needs `make build`
# first and Debian's ffmpeg. The machine is shared: compare ratios measured
# in one run, not numbers from different runs.
#
#   Benchmarks/peers.sh                      # the full run (many minutes)
#   PICTURE_SECONDS=10 SOUND_SECONDS=600 FILE_SECONDS=20 PEER_FILE_SECONDS=4 UHD_SECONDS=60 \
#     Benchmarks/peers.sh                    # a quicker one
set -euo pipefail
shopt -s inherit_errexit

cd "$(dirname "$0")/.."
BT=${BT:-build/bin/barsandtone}
PICTURE_SECONDS=${PICTURE_SECONDS:-60}
SOUND_SECONDS=${SOUND_SECONDS:-3600}
# The expression source evaluates every sample of every channel anew: a
# stretch of five minutes gives its rate without an hour's wait.
AEVAL_SECONDS=${AEVAL_SECONDS:-300}
# Finished files: FFmpeg encodes every frame, so its stretch is shorter.
FILE_SECONDS=${FILE_SECONDS:-60}
PEER_FILE_SECONDS=${PEER_FILE_SECONDS:-10}
UHD_SECONDS=${UHD_SECONDS:-180}
# Long-GOP: FFmpeg encodes every frame, x265 at 2160 slowly: two GOPs of it.
GOP_SECONDS=${GOP_SECONDS:-60}
PEER_GOP_SECONDS=${PEER_GOP_SECONDS:-4}
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
    "$BT" -q new -y -o "$work/pictures.json" --preset "$1" --video-rate 30
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

# A 5.1 BLITS clip: six channels, identification format 3.
"$BT" -q new -y -o "$work/blits.json" --channels 5.1 --identifier blits
"$BT" -q new -y -o "$work/steady.json"

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

# Finished files, at 30 fps with stereo tone. Each file is removed once timed.
our_file() { # clip name frames [export flags...]
    local clip=$1 name=$2 frames=$3 rate
    shift 3
    rate=$("$BT" export "$clip" -o "$work/$name" --no-progress --frames "$frames" "$@" |
        sed -n 's/.*: \([0-9.]*\) frames per second.*/\1/p')
    ls -l "$work/$name" | awk '{ print $5 }' > "$work/$name.size"
    rm -f "$work/$name"
    echo "$rate"
}

ffmpeg_file() { # size seconds name [ffmpeg output flags...]
    local size=$1 seconds=$2 name=$3 t0 t1
    shift 3
    t0=$(now)
    ffmpeg -hide_banner -loglevel error -nostats -y -f lavfi -i "smptehdbars=s=$size:r=30" \
        -f lavfi -i "sine=frequency=1000:sample_rate=48000" -t "$seconds" -ac 2 "$@" "$work/$name"
    t1=$(now)
    rm -f "$work/$name"
    rate "$(( seconds * 30 ))" "$(elapsed "$t0" "$t1")"
}

echo "peers: finished files (ours ${FILE_SECONDS} s, FFmpeg's ${PEER_FILE_SECONDS} s, UHD hour from ${UHD_SECONDS} s) ..." >&2
"$BT" -q new -y -o "$work/hd30.json" --preset "HD Rec.709" --video-rate 30
"$BT" -q new -y -o "$work/uhd30.json" --preset "UHD Rec.709" --video-rate 30
ff=$(( FILE_SECONDS * 30 ))
prores=(-c:v prores_ks -profile:v hq -vendor apl0 -pix_fmt yuv422p10le -c:a pcm_s24le)
f1_ours=$(our_file "$work/hd30.json" hd.mov "$ff")
f1_peer=$(ffmpeg_file 1920x1080 "$PEER_FILE_SECONDS" peer.mov "${prores[@]}")
f2_ours=$(our_file "$work/uhd30.json" uhd.mov "$ff")
f2_peer=$(ffmpeg_file 3840x2160 "$PEER_FILE_SECONDS" peer.mov "${prores[@]}")
f3_ours=$(our_file "$work/hd30.json" hd.mxf "$ff")
f3_peer=$(ffmpeg_file 1920x1080 "$PEER_FILE_SECONDS" peer.mxf -c:v dnxhd -profile:v dnxhr_hqx -pix_fmt yuv422p10le -c:a pcm_s24le)
f4_ours=$(our_file "$work/hd30.json" hd.mkv "$ff")
f4_peer=$(ffmpeg_file 1920x1080 "$PEER_FILE_SECONDS" peer.mkv -c:v ffv1 -level 3 -coder 1 -slicecrc 1 -slices 4 -g 1 \
    -pix_fmt yuv444p10le -c:a flac -sample_fmt s32)
f5_full=$(our_file "$work/hd30.json" full.mov "$(( PEER_FILE_SECONDS * 30 ))" --encode-every-frame)
# The UHD hour: a stretch timed and scaled.
uhd_rate=$(our_file "$work/uhd30.json" hour.mov "$(( UHD_SECONDS * 30 ))")
uhd_bytes=$(cat "$work/hour.mov.size")
hour_minutes=$(awk -v r="$uhd_rate" 'BEGIN { printf "%.1f", 108000 / r / 60 }')
hour_gb=$(awk -v b="$uhd_bytes" -v s="$UHD_SECONDS" 'BEGIN { printf "%.1f", b * 3600 / s / 1e9 }')

echo "peers: long-GOP files (ours ${GOP_SECONDS} s, FFmpeg's ${PEER_GOP_SECONDS} s) ..." >&2
"$BT" -q new -y -o "$work/pq30.json" --preset "HD Rec.2100 PQ" --video-rate 30
"$BT" -q new -y -o "$work/uhdpq30.json" --preset "UHD Rec.2100 PQ" --video-rate 30
gf=$(( GOP_SECONDS * 30 ))
gop=(-g 60 -keyint_min 60 -sc_threshold 0 -bf 0 -c:a aac -b:a 192k -movflags +faststart)
x264=(-c:v libx264 -preset fast -profile:v high -qp 20 -pix_fmt yuv420p
    -x264-params keyint=60:min-keyint=60:scenecut=0:bframes=0 -color_primaries bt709 -color_trc bt709 -colorspace bt709)
hdr="master-display=G(8500,39850)B(6550,2300)R(35400,14600)WP(15635,16450)L(10000000,1):max-cll=1000,400:hdr10=1:hdr10-opt=1"
x265=(-c:v libx265 -preset fast -profile:v main10 -qp 22 -pix_fmt yuv420p10le -tag:v hvc1
    -x265-params "log-level=error:keyint=60:min-keyint=60:scenecut=0:bframes=0:open-gop=0:$hdr"
    -color_primaries bt2020 -color_trc smpte2084 -colorspace bt2020nc)
g1_ours=$(our_file "$work/hd30.json" h264.mp4 "$gf")
g1_peer=$(ffmpeg_file 1920x1080 "$PEER_GOP_SECONDS" peer.mp4 "${x264[@]}" "${gop[@]}")
g2_ours=$(our_file "$work/pq30.json" hevc.mp4 "$gf")
g2_peer=$(ffmpeg_file 1920x1080 "$PEER_GOP_SECONDS" peer.mp4 "${x265[@]}" "${gop[@]}")
g3_ours=$(our_file "$work/uhdpq30.json" uhdhevc.mp4 "$gf")
g3_peer=$(ffmpeg_file 3840x2160 "$PEER_GOP_SECONDS" peer.mp4 "${x265[@]}" "${gop[@]}")
g4_full=$(our_file "$work/hd30.json" full.mp4 "$(( PEER_GOP_SECONDS * 30 ))" --encode-every-frame)
load=$(cut -d' ' -f1-3 /proc/loadavg)

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
row "ProRes 422 HQ 1080, stereo (fps)" "$f1_ours" "prores_ks hq, pcm_s24le" "$f1_peer" "$(ratio "$f1_ours" "$f1_peer")" ">= 20"
row "ProRes 422 HQ 2160, stereo (fps)" "$f2_ours" "prores_ks hq, pcm_s24le" "$f2_peer" "$(ratio "$f2_ours" "$f2_peer")" ">= 20"
row "DNxHR HQX MXF 1080, stereo (fps)" "$f3_ours" "dnxhd dnxhr_hqx, pcm_s24le" "$f3_peer" "$(ratio "$f3_ours" "$f3_peer")" ">= 20"
row "FFV1 MKV 1080, stereo (fps)" "$f4_ours" "ffv1 level 3, flac" "$f4_peer" "$(ratio "$f4_ours" "$f4_peer")" ">= 20"
row "  ProRes 1080, every frame encoded" "$f5_full" "prores_ks hq, pcm_s24le" "$f1_peer" "$(ratio "$f5_full" "$f1_peer")" ""
row "H.264 High MP4 1080, AAC (fps)" "$g1_ours" "libx264 as ours, aac" "$g1_peer" "$(ratio "$g1_ours" "$g1_peer")" ">= 20"
row "HEVC Main 10 PQ MP4 1080 (fps)" "$g2_ours" "libx265 as ours, aac" "$g2_peer" "$(ratio "$g2_ours" "$g2_peer")" ">= 20"
row "HEVC Main 10 PQ MP4 2160 (fps)" "$g3_ours" "libx265 as ours, aac" "$g3_peer" "$(ratio "$g3_ours" "$g3_peer")" ">= 20"
row "  H.264 1080, every frame encoded" "$g4_full" "libx264 as ours, aac" "$g1_peer" "$(ratio "$g4_full" "$g1_peer")" ""
echo
echo "An hour of UHD ProRes 422 HQ with stereo tone: ${hour_minutes} min at ${uhd_rate} fps (target <= 15 min),"
echo "  about ${hour_gb} GB per hour; $(df -h "$work" | awk 'NR == 2 { print $4 }') free where it was written."
echo "Load average during the run: ${load} (uptime: $(uptime | sed 's/.*load average: //'))."
