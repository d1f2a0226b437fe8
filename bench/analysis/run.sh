#!/usr/bin/env bash
# Builds and runs the analysis benchmark headless; prints the machine and the
# ratios. Usage: bench/analysis/run.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-build}"
# Benchmarks are built on request only: switch them on in this build folder.
if [ "$build" = build ]; then cmake --preset default -DMARKLOOM_BENCH=ON; else cmake -S . -B "$build" -DMARKLOOM_BENCH=ON; fi >/dev/null
cmake --build "$build" --target bench_analysis >/dev/null
export QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES="qt.webenginecontext=false;js=false;qt.qpa.*=false"
if [ "$(id -u)" -eq 0 ]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
"$build/bench/analysis/bench_analysis"
