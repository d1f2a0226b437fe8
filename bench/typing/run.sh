#!/usr/bin/env bash
# ms per key in the source pane against a bare editor, with accessibility live.
# Runs under a virtual X display with a session bus and the accessibility bus,
# so the platform bridge is the real one; without xvfb-run or dbus-run-session
# it falls back to the offscreen platform with accessibility activated in-process.
# Usage: bench/typing/run.sh [bench_typing options]   (BUILD=build by default)
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${BUILD:-build}
# Benchmarks are built on request only: switch them on in this build folder.
if [ "$BUILD" = build ]; then cmake --preset default -DMARKLOOM_BENCH=ON; else cmake -S . -B "$BUILD" -DMARKLOOM_BENCH=ON; fi >/dev/null
cmake --build "$BUILD" --target bench_typing >/dev/null
export QT_LOGGING_RULES="qt.qpa.*=false;qt.accessibility.*=false"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}; chmod 700 "$XDG_RUNTIME_DIR"

echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
if command -v xvfb-run >/dev/null && command -v dbus-run-session >/dev/null; then
  export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  # Qt joins the accessibility bus only once that bus is running: start it first.
  exec xvfb-run -a -s "-screen 0 1600x1000x24" dbus-run-session -- bash -c '
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
    exec "$0" "$@"' "$BUILD/bench/typing/bench_typing" "$@" 2> >(grep -v "fd limit\|dbus-daemon\|SpiRegistry" >&2)
fi
export QT_QPA_PLATFORM=offscreen
exec "$BUILD/bench/typing/bench_typing" "$@"
