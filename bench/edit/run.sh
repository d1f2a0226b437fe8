#!/usr/bin/env bash
# Time of saving a 1 MiB and a 10 MiB source: encoding, the safe write
# (temporary file and rename), the whole Save As command, and a plain write.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${BUILD:-build}
# Benchmarks are built on request only: switch them on in this build folder.
if [ "$BUILD" = build ]; then cmake --preset default -DMARKLOOM_BENCH=ON; else cmake -S . -B "$BUILD" -DMARKLOOM_BENCH=ON; fi >/dev/null
cmake --build "$BUILD" --target bench_save >/dev/null

if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}; chmod 700 "$XDG_RUNTIME_DIR"
export QT_LOGGING_RULES="qt.webenginecontext=false;js=false;default.info=false"

echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
echo "== temporary folder on: $(df -T "${TMPDIR:-/tmp}" | awk 'NR==2 {print $2}')"
"$BUILD/bench/edit/bench_save" 2>/dev/null
