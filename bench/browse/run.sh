#!/usr/bin/env bash
# Page-source benchmarks: completion to pane, start-up, --dump against
# headless Chromium on the same local pages, and --batch of many pages against
# a scripted headless Chromium. Chromium, puppeteer-core and a documentation
# package are installed here for the comparison only; the project itself
# does not need them.
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

# A scripted browser as people use one for the same job: puppeteer-core from
# the npm registry (kept outside the repository) driving Debian's chromium,
# one browser, its tabs reused (peer.js).
peer_setup() {
  PEER_DIR=${PEER_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/markloom-bench/peer}
  if [ ! -d "$PEER_DIR/node_modules/puppeteer-core" ]; then
    mkdir -p "$PEER_DIR"
    # puppeteer-core never downloads a browser; 24 is the last for node 20.
    (cd "$PEER_DIR" && npm install --silent --no-audit --no-fund puppeteer-core@24 >/dev/null)
  fi
}

# The documentation of Debian packages as a list of pages, served over http.
docs_list() { # folder count -> list file
  if [ ! -d /usr/share/doc/python3.11/html ]; then
    apt-get update >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y python3-doc >/dev/null
  fi
  find -L /usr/share/doc/python3.11/html/library -name '*.html' | sort | head -n "$2" \
    | sed "s#^/#http://127.0.0.1:$PORT/#" >"$1"
}

batch() {
  # The same list over local http on both sides, 2 and 4 at once: markloom
  # --batch --jobs N against the scripted browser with N tabs. treepeak.py
  # gives the time, the peak memory and the CPU time of each whole process tree.
  peer_setup
  local n=${PAGES_MANY:-200} many=$PAGES/many
  mkdir -p "$many"
  python3 bench/browse/makepages.py "$many" --many "$n"
  PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  python3 -m http.server "$PORT" --bind 127.0.0.1 --directory / >/dev/null 2>&1 &
  SERVER=$!
  trap 'kill $SERVER 2>/dev/null; rm -rf "$PAGES"' EXIT
  sed "s#^file:///#http://127.0.0.1:$PORT/#" "$many/list.txt" >"$PAGES/small.txt"
  docs_list "$PAGES/docs.txt" "$n"
  sleep 1
  local list at tool out err secs mib answered pages
  for list in small docs; do
    pages=$(wc -l <"$PAGES/$list.txt")
    echo "== $list: $pages pages over http, $(sed "s#http://127.0.0.1:$PORT/#/#" "$PAGES/$list.txt" \
      | xargs cat | wc -c | awk '{printf "%.1f MB", $1 / 1e6}')"
    for at in 2 4; do
      declare -A rate=() peak=() cpus=()
      for tool in markloom peer; do
        out=$PAGES/$tool.jsonl err=$PAGES/$tool.err
        if [ $tool = markloom ]; then
          python3 bench/browse/treepeak.py "$BUILD/markloom" --batch "$PAGES/$list.txt" --jobs $at >"$out" 2>"$err" || true
        else
          NODE_PATH=$PEER_DIR/node_modules python3 bench/browse/treepeak.py \
            node bench/browse/peer.js "$(command -v chromium)" "$PAGES/$list.txt" $at >"$out" 2>"$err" || true
        fi
        read -r secs mib cpu < <(sed -n 's/^treepeak: \([0-9.]*\) s, \([0-9]*\) MiB\(, \([0-9.]*\) cpu-s\)\{0,1\}$/\1 \2 \4/p' "$err")
        answered=$(grep -c '"source":' "$out" || true)
        rate[$tool]=$(python3 -c "print(f'{$pages / $secs:.1f}')")
        peak[$tool]=$mib
        cpus[$tool]=${cpu:-0}
        # CPU time per page: on a machine busy with other work, what a page
        # costs decides how many of them go through.
        printf "%-8s %d at once  %6.1f s  %6s pages/s  peak %5s MiB  %s/%s answered%s\n" \
          "$tool" "$at" "$secs" "${rate[$tool]}" "$mib" "$answered" "$pages" \
          "${cpu:+  cpu $(python3 -c "print(round($cpu * 1000 / $pages))") ms/page}"
      done
      python3 -c "print(f'         ratio: pages/s x{${rate[markloom]} / ${rate[peer]}:.2f}, memory x{${peak[markloom]} / ${peak[peer]}:.2f}'
                  + (f', cpu per page x{${cpus[markloom]} / ${cpus[peer]}:.2f}' if ${cpus[peer]} else ''))"
    done
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
