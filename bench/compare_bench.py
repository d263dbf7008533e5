#!/usr/bin/env python3
"""Times `tessarin-cli compare` against rsync's dry run and two find listings.

compare_bench.py [--cli PATH] [--pair DIR] [--files N] [--rounds R]

All runs are on the same tree pair with a warm page cache, alternating, and
the figures are medians. Prints wall times, ratios and peak memory per file.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def run(cmd):
    """Runs a command with output discarded; returns (seconds, peak RSS in KiB)."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) not in (0,):
        sys.exit(f"failed: {' '.join(cmd)}")
    return elapsed, usage.ru_maxrss


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", default=os.path.join(HERE, "..", "build", "cli", "tessarin-cli"))
    ap.add_argument("--pair", default="/tmp/tessarin-bench/pair100k")
    ap.add_argument("--files", type=int, default=100000)
    ap.add_argument("--rounds", type=int, default=7)
    args = ap.parse_args()
    if not shutil.which("rsync"):
        subprocess.run(["apt-get", "install", "-y", "-qq", "rsync"], check=True)

    subprocess.run([sys.executable, os.path.join(HERE, "make_tree_pair.py"), args.pair,
                    "--files", str(args.files)], check=True)
    one, two = os.path.join(args.pair, "one"), os.path.join(args.pair, "two")
    fmt = "%P %s %T@ %m\n"
    commands = {
        "tessarin": [args.cli, "compare", one, two],
        "rsync": ["rsync", "-a", "-n", "-i", "--delete", one + "/", two + "/"],
        "find1": ["find", one, "-printf", fmt],
        "find2": ["find", two, "-printf", fmt],
    }
    for cmd in commands.values():  # warm the page cache
        run(cmd)
    times = {k: [] for k in commands}
    peak = 0
    for _ in range(args.rounds):
        for name, cmd in commands.items():
            t, rss = run(cmd)
            times[name].append(t)
            if name == "tessarin":
                peak = max(peak, rss)
    med = {k: statistics.median(v) for k, v in times.items()}
    finds = statistics.median([a + b for a, b in zip(times["find1"], times["find2"])])
    listed = 2 * args.files
    print(f"files per side        {args.files}")
    print(f"tessarin-cli compare  {med['tessarin']:.3f} s")
    print(f"rsync -n dry run      {med['rsync']:.3f} s")
    print(f"two find listings     {finds:.3f} s")
    print(f"ratio vs rsync        {med['tessarin'] / med['rsync']:.2f}  (target <= 0.6)")
    print(f"ratio vs find x2      {med['tessarin'] / finds:.2f}  (target <= 0.7)")
    print(f"peak memory           {peak / 1024:.1f} MiB, {peak * 1024 / listed:.0f} bytes per listed file"
          f"  (target < 100)")


if __name__ == "__main__":
    main()
