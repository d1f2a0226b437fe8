#!/usr/bin/env bash
# Pages whose DOM depends on being shown (animation frames, observers,
# animations, layout, visibility): --dump against headless Chromium's
# --dump-dom of the same file, in the same 1280x800 viewport. Prints for each
# page whether the two bodies are equal and the time ratio (median of 3).
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${BUILD:-build}
cmake --build "$BUILD" --target markloom >/dev/null
command -v chromium >/dev/null || { echo "needs Debian's chromium (apt-get install chromium)"; exit 2; }
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; SANDBOX=--no-sandbox; else SANDBOX=; fi
PAGES=$(mktemp -d)
trap 'rm -rf "$PAGES"' EXIT

# Each notes what it saw in its body; GATE holds the load open until done().
PRELUDE="<script>function note(s) { document.body.append(' ' + s); } function done() { gate.contentDocument.close(); }</script>"
GATE="<iframe id=gate></iframe><script>gate.contentDocument.open();</script>"
page() { printf '<html><head>%s</head><body>%s</body></html>' "$PRELUDE" "${2//GATE/$GATE}" > "$PAGES/$1.html"; }
page raf "GATE<script>requestAnimationFrame(function () { note('frame drawn'); done(); });</script>"
page io "GATE<p id=lazy>x</p><script>new IntersectionObserver(function (e) { if (e[0].isIntersecting) { note('lazy item loaded'); done(); } }).observe(lazy);</script>"
page ro "GATE<p id=box style='width: 50%'>x</p><script>new ResizeObserver(function (e) { note('width ' + e[0].contentRect.width); done(); }).observe(box);</script>"
page anim "<style>@keyframes in { from { opacity: 0 } } p { animation: in 10ms }</style>GATE<p id=a>x</p><script>a.addEventListener('animationend', function () { note('animation ended'); done(); });</script>"
page offset "<p id=box style='width: 50%'>x</p><script>onpageshow = function () { note('offset ' + box.offsetWidth); };</script>"
page visibility "<script>note(document.visibilityState + ' ' + innerWidth + 'x' + innerHeight);</script>"

body() { tr -d '\n' | sed -e 's|.*<body>||' -e 's|</body>.*||'; }
ms() { local t0 t1; t0=$(date +%s%N); "$@" >/dev/null 2>&1 || true; t1=$(date +%s%N); echo $(( (t1 - t0) / 1000000 )); }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
ours() { "$BUILD/markloom" --dump "file://$PAGES/$1.html"; }
theirs() { chromium --headless $SANDBOX --window-size=1280,800 --virtual-time-budget=2000 --dump-dom "file://$PAGES/$1.html" 2>/dev/null; }

printf "%-11s %-6s %8s %10s %6s  %s\n" page equal "ours ms" "chromium" ratio "ours"
for p in raf io ro anim offset visibility; do
  a=$(ours "$p" 2>/dev/null | body); b=$(theirs "$p" | body)
  to=$(for i in 1 2 3; do ms ours "$p"; done | median)
  tc=$(for i in 1 2 3; do ms theirs "$p"; done | median)
  printf "%-11s %-6s %8s %10s %6s  %s\n" "$p" "$([ "$a" = "$b" ] && echo yes || echo NO)" "$to" "$tc" \
    "$(python3 -c "print(f'{$to/$tc:.2f}')")" "${a##*</script>}"
  [ "$a" = "$b" ] || { echo "  ours:     $a"; echo "  chromium: $b"; }
done
