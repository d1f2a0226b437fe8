#!/usr/bin/env bash
# Formatting against one plain scan of the same 10 MB page, and a 50 MB
# one-line page formatted in a source pane: peak memory against the text's
# size, and the longest the event loop waited meanwhile.
# Usage: bench/format/run.sh [bench_format options]   (BUILD=build by default)
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${BUILD:-build}
# Benchmarks are built on request only: switch them on in this build folder.
# Another folder is configured optimised too: without a build type nothing
# is, the scan takes seven times as long and formatting twelve, and the
# ratios mean nothing.
if [ "$BUILD" = build ]; then cmake --preset default -DMARKLOOM_BENCH=ON; else cmake -S . -B "$BUILD" -DMARKLOOM_BENCH=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo; fi >/dev/null
cmake --build "$BUILD" --target bench_format >/dev/null
export QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="qt.qpa.*=false"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
exec "$BUILD/bench/format/bench_format" "$@"
