#!/usr/bin/env bash
# Page-source benchmarks: completion to pane, start-up, --dump against
# headless Chromium on the same local pages, and --batch of many pages against
# as many Chromium --dump-dom runs. Chromium is installed here for the
# comparison only; the project itself does not need it.
# Usage: run.sh [batch]   (batch: only the --batch comparison)
set -euo pipefail
ONLY=${1:-}
cd "$(dirname "$0")/../.."
BUILD=${BUILD:-build}
# Benchmarks are built on request only: switch them on in this build folder.
if [ "$BUILD" = build ]; then cmake --preset default -DMARKLOOM_BENCH=ON; else cmake -S . -B "$BUILD" -DMARKLOOM_BENCH=ON; fi >/dev/null
cmake --build "$BUILD" --target markloom bench_pagesource >/dev/null

if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}; chmod 700 "$XDG_RUNTIME_DIR"
export QT_LOGGING_RULES="qt.webenginecontext=false;js=false;default.info=false"

if ! command -v chromium >/dev/null; then
  apt-get update >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y chromium >/dev/null
fi

PAGES=$(mktemp -d)
trap 'rm -rf "$PAGES"' EXIT
python3 bench/browse/makepages.py "$PAGES"

echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
CHROMIUM=(chromium --headless --no-sandbox --disable-gpu --disable-background-networking
  --disable-component-update --no-first-run)
ms() { echo $(( $(date +%s%N) / 1000000 )); }

batch() {
  # The same pages, two at a time on both sides: one markloom process with
  # --jobs 2, against Chromium started once per page, two at once (each with
  # a profile folder of its own, as concurrent runs need).
  local n=${PAGES_MANY:-200} many=$PAGES/many out=$PAGES/chromium-out
  mkdir -p "$many" "$out"
  python3 bench/browse/makepages.py "$many" --many "$n"
  echo "== --batch --jobs 2 against chromium --headless --dump-dom (two at once), $n pages of 2 to 18 KB"
  local round s e ours theirs lines good
  for round in 1 2; do
    s=$(ms); "$BUILD/markloom" --batch "$many/list.txt" --jobs 2 >"$PAGES/batch.jsonl" 2>/dev/null || true; e=$(ms)
    ours=$((e - s))
    lines=$(wc -l <"$PAGES/batch.jsonl"); good=$(grep -c '"source":' "$PAGES/batch.jsonl" || true)
    rm -f "$out"/*
    s=$(ms)
    OUT=$out xargs -P 2 -I{} sh -c 'd=$(mktemp -d); '"${CHROMIUM[*]}"' --user-data-dir="$d" --dump-dom "$1" \
      >"$OUT/$(basename "$1")" 2>/dev/null; rm -rf "$d"' _ {} <"$many/list.txt" || true
    e=$(ms)
    theirs=$((e - s))
    python3 - "$n" "$ours" "$theirs" "$lines" "$good" "$(find "$out" -type f -size +0 | wc -l)" <<'PY'
import sys
n, ours, theirs, lines, good, dumped = map(int, sys.argv[1:])
print(f"markloom {ours:6d} ms {n * 1000 / ours:6.1f} pages/s ({good}/{lines} lines with a source)   "
      f"chromium {theirs:6d} ms {n * 1000 / theirs:6.1f} pages/s ({dumped} dumps)   ratio {theirs / ours:.1f}x")
PY
  done
}
if [ "$ONLY" = batch ]; then batch; exit 0; fi

echo "== start-up"
for i in 1 2 3; do "$BUILD/bench/browse/bench_pagesource" --startup "$PAGES/small.html" 2>/dev/null; done
echo "== completion to pane"
"$BUILD/bench/browse/bench_pagesource" "$PAGES/page-1mb.html" "$PAGES/page-10mb.html" "$PAGES/single-5mb.html" 2>/dev/null

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
timeit() { local s e; s=$(date +%s%N); "$@" >/dev/null 2>&1 || true; e=$(date +%s%N); echo $(( (e - s) / 1000000 )); }

echo "== --dump against chromium --headless --dump-dom (median of 5, ms)"
for p in small.html page-1mb.html page-10mb.html single-5mb.html; do
  url="file://$PAGES/$p"
  ours=$(for i in 1 2 3 4 5; do timeit "$BUILD/markloom" --dump "$url"; done | median)
  theirs=$(for i in 1 2 3 4 5; do timeit chromium --headless --no-sandbox --disable-gpu --disable-quic \
      --no-first-run --disable-background-networking --disable-component-update --disable-sync \
      --user-data-dir="$PAGES/profile" --dump-dom "$url"; done | median)
  ratio=$(python3 -c "print(f'{$ours/$theirs:.2f}')")
  printf "%-16s markloom %6d  chromium %6d  ratio %s\n" "$p" "$ours" "$theirs" "$ratio"
done

batch
