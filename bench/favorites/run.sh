#!/usr/bin/env bash
# Favourites tree build against a plain read of the same files; prints the
# times and ratios. Usage: bench/favorites/run.sh [BUILD_DIR] [FOLDERS FILES_PER_FOLDER ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
shift || true
# Benchmarks are built on request only: switch them on in this build folder.
if [ "$build" = build ]; then cmake --preset default -DMARKLOOM_BENCH=ON; else cmake -S . -B "$build" -DMARKLOOM_BENCH=ON; fi >/dev/null
cmake --build "$build" --target bench_favorites >/dev/null
export QT_QPA_PLATFORM=offscreen
"$build/bench/favorites/bench_favorites" "$@"
