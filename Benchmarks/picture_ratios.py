#!/usr/bin/env python3
"""Runs the picture benchmark and prints each picture's bytes per second as a
share of the memset baseline of the same size, measured in the same run."""
import json, subprocess, sys

binary = sys.argv[1] if len(sys.argv) > 1 else "build/bin/picture_benchmarks"
extra = sys.argv[2:] or ["--benchmark_min_time=0.5", "--benchmark_repetitions=3"]
out = subprocess.run([binary, "--benchmark_format=json", *extra], check=True, capture_output=True, text=True).stdout
rates = {}
for b in json.loads(out)["benchmarks"]:
    if b.get("aggregate_name", "median") != "median":
        continue
    kind, args = b["run_name"].split("/", 1)
    rates[(kind, args)] = b["bytes_per_second"]
print(f"{'picture':42} {'GB/s':>7} {'memset GB/s':>12} {'ratio':>6}")
for (kind, args), rate in sorted(rates.items()):
    if kind != "Picture":
        continue
    base = rates[("MemsetBaseline", args)]
    print(f"{args:42} {rate / 1e9:7.2f} {base / 1e9:12.2f} {rate / base:6.2f}")
