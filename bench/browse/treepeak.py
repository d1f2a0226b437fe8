#!/usr/bin/env python3
"""Runs a command and prints, on standard error, how long it took and the
peak memory of its whole process tree (the sum of every process's
proportional set size, sampled every 50 ms):
  treepeak: SECONDS s, PEAK MiB
Usage: treepeak.py COMMAND [ARG...]  (standard streams are the command's)"""
import os
import subprocess
import sys
import time


def children():
    kids = {}
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open(f"/proc/{pid}/stat") as f:
                parent = int(f.read().rsplit(")", 1)[1].split()[1])
        except (OSError, IndexError, ValueError):
            continue
        kids.setdefault(parent, []).append(int(pid))
    return kids


def tree_pss_kib(root):
    kids, total, todo = children(), 0, [root]
    while todo:
        pid = todo.pop()
        todo.extend(kids.get(pid, []))
        try:
            with open(f"/proc/{pid}/smaps_rollup") as f:
                for line in f:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
                        break
        except OSError:
            pass
    return total


start = time.monotonic()
proc = subprocess.Popen(sys.argv[1:])
peak = 0
while proc.poll() is None:
    peak = max(peak, tree_pss_kib(proc.pid))
    time.sleep(0.05)
print(f"treepeak: {time.monotonic() - start:.2f} s, {peak / 1024:.0f} MiB", file=sys.stderr)
sys.exit(proc.returncode)
