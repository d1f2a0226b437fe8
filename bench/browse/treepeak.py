#!/usr/bin/env python3
"""Runs a command and prints, on standard error, how long it took, the
peak memory of its whole process tree (the sum of every process's
proportional set size, sampled every 50 ms) and, where perf can count it,
the CPU time of the whole tree (short-lived processes included, which
sampling would miss):
  treepeak: SECONDS s, PEAK MiB[, CPU cpu-s]
Usage: treepeak.py COMMAND [ARG...]  (standard streams are the command's)"""
import os
import shutil
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


def tree_pss_kib(root, counter):
    kids, total = children(), 0
    # perf itself is not the command's memory.
    todo = list(kids.get(root, [])) if counter else [root]
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


cpu_file = f"/tmp/treepeak-{os.getpid()}.cpu"
counter = ["perf", "stat", "-x,", "-e", "task-clock", "-o", cpu_file, "--"]
# Where counting is not allowed (perf_event_paranoid), the command runs alone.
if not shutil.which("perf") or subprocess.run(counter + ["true"], capture_output=True).returncode != 0:
    counter = []
if os.path.exists(cpu_file):
    os.remove(cpu_file)
start = time.monotonic()
proc = subprocess.Popen(counter + sys.argv[1:])
peak = 0
while proc.poll() is None:
    peak = max(peak, tree_pss_kib(proc.pid, counter))
    time.sleep(0.05)
cpu = ""
try:
    with open(cpu_file) as f:
        for line in f:
            if ",task-clock," in line:
                cpu = f", {float(line.split(',')[0]) / 1000:.1f} cpu-s"
    os.remove(cpu_file)
except (OSError, ValueError):
    pass
print(f"treepeak: {time.monotonic() - start:.2f} s, {peak / 1024:.0f} MiB{cpu}", file=sys.stderr)
sys.exit(proc.returncode)
