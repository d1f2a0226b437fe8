#!/usr/bin/env bash
# What a page costs, each figure from a fresh process (bench_loadcost):
#  1. main-process peak RSS against the DOM's size on its way to a source pane
#     and through --dump (10, 50, 200 MiB pages);
#  2. load to source in the real window against --dump (1, 10, 20 MiB pages,
#     median of 3), and the peak memory of the whole process tree of each.
# BASELINE=/path/to/an/older/bench_loadcost adds its figures beside ours;
# PARTS=window (or memory) runs only that part.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${BUILD:-build}
cmake --build "$BUILD" --target bench_loadcost >/dev/null
OURS="$BUILD/bench/browse/bench_loadcost"

if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}; chmod 700 "$XDG_RUNTIME_DIR"
PAGES=$(mktemp -d)
trap 'rm -rf "$PAGES"' EXIT
python3 bench/browse/makepages.py "$PAGES"
python3 bench/browse/makepages.py "$PAGES" --mib 1 10 20 50 200

# field N of a result line ("-" when the run failed)
measure() { # binary mode page -> "ms mainMiB treeMiB chars"
  local line
  line=$(timeout 600 "$1" "$2" "$PAGES/$3" 2>/dev/null | grep -a "^$2 " || true)
  if [ -z "$line" ]; then echo "- - - -"; return; fi
  awk '{print $6, $10, $13, $4}' <<<"$line"
}
median() { { grep -v '^-$' || true; } | sort -n | awk '{a[NR]=$1} END {print (NR ? a[int((NR+1)/2)] : "-")}'; }
ratio() { python3 -c "import sys; a,b=sys.argv[1:]; print('-' if '-' in (a,b) else f'{float(a)/float(b):.2f}')" "$1" "$2"; }

echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
PARTS=${PARTS:-memory window}
[[ $PARTS == *memory* ]] && echo "== main-process peak RSS (MiB); x: above an empty page's, per MiB of DOM (chars)"
for bin in $([[ $PARTS == *memory* ]] && echo "$OURS" ${BASELINE:+"$BASELINE"}); do
  read -r _ empty _ _ < <(measure "$bin" pane small.html)
  for mib in 10 50 200; do
    for mode in pane dump; do
      read -r _ main _ chars < <(measure "$bin" "$mode" "page-${mib}mib.html")
      [ "$mode" = pane ] && dom=$chars
      x=$(python3 -c "import sys; m,e,d=sys.argv[1:]; print('-' if '-' in (m,e,d) else f'{(float(m)-float(e))/(int(d)/1048576):.1f}')" \
        "$main" "$empty" "$dom")
      printf "%-9s %-4s %3s MiB page  main peak %6s (empty page %s)  x%s\n" \
        "$([ "$bin" = "$OURS" ] && echo ours || echo baseline)" "$mode" "$mib" "$main" "$empty" "$x"
    done
  done
done

[[ $PARTS == *window* ]] && echo "== load to source, window against --dump (median of 3; ms, tree peak MiB)"
for mib in $([[ $PARTS == *window* ]] && echo 1 10 20); do
  for bin in "$OURS" ${BASELINE:+"$BASELINE"}; do
    declare -A t=() m=()
    for mode in window dump; do
      runs=$(for i in 1 2 3; do measure "$bin" "$mode" "page-${mib}mib.html"; done)
      t[$mode]=$(awk '{print $1}' <<<"$runs" | median)
      m[$mode]=$(awk '{print $3}' <<<"$runs" | median)
    done
    printf "%-9s %3s MiB  window %6s ms %6s MiB  dump %6s ms %6s MiB  time x%s  memory x%s\n" \
      "$([ "$bin" = "$OURS" ] && echo ours || echo baseline)" "$mib" "${t[window]}" "${m[window]}" \
      "${t[dump]}" "${m[dump]}" "$(ratio "${t[window]}" "${t[dump]}")" "$(ratio "${m[window]}" "${m[dump]}")"
  done
done
