#include "platform/completionscript.h"

#include <QtNumeric>


namespace completion {

QString scriptSource(const QString &nonce)
{
    // Runs in an isolated world, so the page can neither see the nonce nor
    // replace console.log or the functions here. Lengths instead of JSON:
    // no escaping of megabytes.
    static const QString tpl = QStringLiteral(R"JS(
(function () {
  var taken = false;
  // Answers reach us as UTF-8, where a lone surrogate cannot travel: it is
  // sent as U+FDD0 and a character above U+00FF that restoreText() turns
  // back; U+FDD0 itself is sent doubled.
  var lone = /\ufdd0|[\ud800-\udbff](?![\udc00-\udfff])|(?<![\ud800-\udbff])[\udc00-\udfff]/g;
  function keep(s) {
    return s.search(lone) < 0 ? s : s.replace(lone, function (c) {
      return '\ufdd0' + (c === '\ufdd0' ? c : String.fromCharCode(c.charCodeAt(0) - 0xd800 + 0x100));
    });
  }
  // The document as [address, title, markup inside the root, has a root].
  function read() {
    var root = document.documentElement;
    return [String(document.URL), keep(String(document.title || '')), root ? keep(root.innerHTML) : '', !!root];
  }
  // The page stays laid out as a shown one would be, but for a huge one:
  // keeping its layout up to date costs seconds and gigabytes.
  var hidden = false;
  function hide() {
    hidden = true;
    document.documentElement.style.setProperty('display', 'none', 'important');
  }
  // Nor while it loads, once it is huge: laid out again frame after frame as
  // it grows, a 160,000-row table took more memory than its process may have.
  // Measuring is a serialisation, so it takes at most a twentieth of the time.
  var due = 0;
  function watchSize() {
    var root = document.documentElement, start = performance.now();
    if (taken || hidden)
      return;
    if (root && start >= due) {
      if (root.innerHTML.length > %2)
        return hide();
      due = start + 21 * (performance.now() - start);
    }
    if (document.readyState !== 'complete')
      requestAnimationFrame(watchSize);
  }
  requestAnimationFrame(watchSize);
  // The same, once; null afterwards.
  function take() {
    if (taken)
      return null;
    taken = true;
    var d = read();
    if (d[2].length > %2)
      hide();
    return d;
  }
  if (window === window.top) {
    window['%1:'] = take;
    // As it stands while it loads: null once it has been taken.
    window['%1:peek'] = function () { return taken ? null : read(); };
    // The page as it stands now: itself, then every frame it can reach
    // (same origin), each as [address, title, markup, has a root, top].
    window['%1:again'] = function () {
      var out = [];
      (function walk(doc, top) {
        var root = doc.documentElement;
        out.push([String(doc.URL), keep(String(doc.title || '')), root ? keep(root.innerHTML) : '', !!root, top]);
        var frames = doc.querySelectorAll('iframe, frame');
        for (var i = 0; i < frames.length; ++i) {
          var inner = null;
          try { inner = frames[i].contentDocument; } catch (e) {}
          if (inner)
            walk(inner, false);
        }
      })(document, true);
      return out;
    };
  } else {
    // Where the frame sits: its index among its parent's frames, from the
    // top down ("0.1"). Frames of other origins allow exactly these reads.
    var place = function () {
      var path = [];
      for (var w = window; w !== w.top; w = w.parent) {
        var i = 0;
        while (i < w.parent.frames.length && w.parent.frames[i] !== w)
          ++i;
        path.unshift(i);
      }
      return path.join('.');
    };
    window.addEventListener('load', function (event) {
      var d = event.isTrusted && event.target === document ? take() : null;
      if (d)
        console.log('%1:' + (d[3] ? '1' : '0') + ' ' + d[0].length + ' ' + d[1].length + ' ' + place() + '\n'
                    + d[0] + d[1] + d[2]);
    }, true);
  }
})();
)JS");
    return tpl.arg(nonce).arg(kLaidOutLimit);
}

QString captureSource(const QString &nonce)
{
    return QStringLiteral("(function () { var take = window['%1:']; return typeof take === 'function' ? take() : null; })()")
        .arg(nonce);
}

QString peekSource(const QString &nonce)
{
    return QStringLiteral("(function () { var peek = window['%1:peek']; return typeof peek === 'function' ? peek() : null; })()")
        .arg(nonce);
}

QString rereadSource(const QString &nonce)
{
    return QStringLiteral("(function () { var read = window['%1:again']; return typeof read === 'function' ? read() : []; })()")
        .arg(nonce);
}

void restoreText(QString &text)
{
    constexpr char16_t kMark = 0xfdd0;
    qsizetype at = text.indexOf(QChar(kMark));
    if (at < 0)
        return;
    qsizetype out = at;
    for (; at < text.size(); ++at) {
        char16_t c = text.at(at).unicode();
        if (c == kMark && at + 1 < text.size()) {
            const char16_t next = text.at(at + 1).unicode();
            if (next == kMark || (next >= 0x100 && next < 0x900)) {
                c = next == kMark ? kMark : char16_t(next - 0x100 + 0xd800);
                ++at;
            }
        }
        text[out++] = QChar(c);
    }
    text.truncate(out);
}

namespace {

// Plain decimal digits no greater than limit.
std::optional<quint64> number(QStringView field, quint64 limit)
{
    if (field.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (const QChar c : field) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        if (qMulOverflow(value, quint64(10), &value) || qAddOverflow(value, quint64(c.unicode() - u'0'), &value)
            || value > limit)
            return std::nullopt;
    }
    return value;
}

// Indexes "." between: "0", "2.0.1".
bool isFramePath(QStringView path)
{
    bool digit = false;
    for (const QChar c : path) {
        if (c == QLatin1Char('.')) {
            if (!digit)
                return false;
            digit = false;
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digit = true;
        } else {
            return false;
        }
    }
    return digit;
}

bool flag(QChar c, bool *value)
{
    *value = c == QLatin1Char('1');
    return c == QLatin1Char('0') || c == QLatin1Char('1');
}

} // namespace

std::optional<Report> parse(QStringView payload)
{
    const qsizetype nl = payload.indexOf(QLatin1Char('\n'));
    if (nl < 0)
        return std::nullopt;
    const QStringView head = payload.first(nl);
    const QStringView body = payload.sliced(nl + 1);
    QStringView fields[4];
    qsizetype at = 0;
    for (int i = 0; i < 4; ++i) {
        const qsizetype end = i < 3 ? head.indexOf(QLatin1Char(' '), at) : head.size();
        if (end < 0)
            return std::nullopt;
        fields[i] = head.sliced(at, end - at);
        at = end + 1;
    }
    Report r;
    if (fields[0].size() != 1 || !flag(fields[0][0], &r.hasRoot))
        return std::nullopt;
    const auto urlLength = number(fields[1], quint64(body.size()));
    const auto titleLength = urlLength ? number(fields[2], quint64(body.size()) - *urlLength) : std::nullopt;
    if (!titleLength || !isFramePath(fields[3])) // a blank too many ends up in the last field
        return std::nullopt;
    r.framePath = fields[3];
    r.url = body.first(qsizetype(*urlLength));
    r.title = body.sliced(qsizetype(*urlLength), qsizetype(*titleLength));
    r.html = body.sliced(qsizetype(*urlLength + *titleLength));
    return r;
}

} // namespace completion
