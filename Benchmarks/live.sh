#!/usr/bin/env bash
# A live line-up measured at its receiver: barsandtone play sends HD bars and
# tone (H.264 and AAC in MPEG-TS, 25 fps) to a UDP receiver on 127.0.0.1 for
# LIVE_SECONDS (ten minutes by default). The receiver notes when each
# picture's first transport packet arrives; the rate is the frames received
# over the time they took (the slope of a line fitted to the arrivals, which
# a constant delay of the first few leaves alone), against the clip's 25 fps. Also
# printed: what play says it dropped or repeated, the frames that never
# arrived, and the machine's load (it is shared: say so beside the result).
#
#   Benchmarks/live.sh                       # ten minutes
#   LIVE_SECONDS=60 Benchmarks/live.sh       # a quicker one
#   LIVE_PRESET="UHD Rec.2100 PQ" Benchmarks/live.sh
set -euo pipefail
shopt -s inherit_errexit

cd "$(dirname "$0")/.."
BT=${BT:-build/bin/barsandtone}
LIVE_SECONDS=${LIVE_SECONDS:-600}
LIVE_PRESET=${LIVE_PRESET:-HD Rec.709}
[ -x "$BT" ] || { echo "live: $BT is missing; run make build first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$BT" -q new -y -o "$work/live.json" --preset "$LIVE_PRESET" --video-rate 25

# The receiver: binds first, writes its port, then counts pictures as they
# arrive (a transport packet starting a PES packet on the first PID that
# carries video) until the sender has been quiet for two seconds.
cat > "$work/receive.py" <<'EOF'
import socket, sys, time
sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 8 << 20)
sock.bind(("127.0.0.1", 0))
open(sys.argv[1], "w").write(str(sock.getsockname()[1]))
sock.settimeout(30)
video_pid, arrivals, datagrams, gaps, counters = None, [], 0, 0, {}
while True:
    try:
        data = sock.recv(65536)
    except socket.timeout:
        break
    sock.settimeout(2)
    now = time.monotonic()
    datagrams += 1
    for i in range(0, len(data) - 187, 188):
        p = data[i:i + 188]
        if p[0] != 0x47:
            continue
        pid = ((p[1] & 0x1F) << 8) | p[2]
        start = p[1] & 0x40
        if p[3] & 0x10:  # has payload: its continuity counter counts on
            if pid in counters and (counters[pid] + 1) & 0xF != p[3] & 0xF:
                gaps += 1
            counters[pid] = p[3] & 0xF
        if not start:
            continue
        offset = 4 + (1 + p[4] if p[3] & 0x20 else 0)
        pes = p[offset:offset + 4]
        if pes[:3] == b"\0\0\1" and 0xE0 <= pes[3] <= 0xEF:
            video_pid = pid if video_pid is None else video_pid
            if pid == video_pid:
                arrivals.append(now)
n = len(arrivals)
span = arrivals[-1] - arrivals[0] if n > 1 else 0
# Seconds per frame: the least-squares slope of arrival time on frame number.
mean_i, mean_t = (n - 1) / 2, sum(arrivals) / n if n else 0
num = sum((i - mean_i) * (t - mean_t) for i, t in enumerate(arrivals))
den = sum((i - mean_i) ** 2 for i in range(n))
rate = den / num if num > 0 else 0
print(f"{n} {span:.3f} {rate:.4f} {datagrams} {gaps}")
EOF

python3 "$work/receive.py" "$work/port" > "$work/received" &
receiver=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")
echo "live: ${LIVE_SECONDS} s of \"$LIVE_PRESET\" at 25 fps to udp://127.0.0.1:$port ..." >&2
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
report=$("$BT" play "$work/live.json" -o "udp://127.0.0.1:$port" --duration "$LIVE_SECONDS" --no-progress)
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
wait "$receiver"
read -r frames span rate datagrams gaps < "$work/received"
expected=$(( LIVE_SECONDS * 25 ))

echo "$report" | tail -1
awk -v r="$rate" -v n="$frames" -v e="$expected" -v s="$span" -v d="$datagrams" -v g="$gaps" 'BEGIN {
    printf "received %d of %d frames in %.3f s (%d datagrams, %d continuity gaps): %.4f fps, %+.4f%% from 25 fps (target within 0.1%%)\n",
        n, e, s, d, g, r, (r / 25 - 1) * 100 }'
echo "Load average before and after: ${load_before}; ${load_after}."
