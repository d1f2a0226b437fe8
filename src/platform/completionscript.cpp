#include "platform/completionscript.h"

namespace completion {

QString scriptSource(const QString &nonce)
{
    // Runs in an isolated world, so the page can neither see the nonce nor
    // replace console.log. Lengths instead of JSON: no escaping of megabytes.
    static const QString tpl = QStringLiteral(R"JS(
(function () {
  var tag = '%1:';
  function report() {
    var root = document.documentElement;
    var url = String(document.URL);
    var title = String(document.title || '');
    var html = root ? root.innerHTML : '';
    var top = (window === window.top) ? '1' : '0';
    console.log(tag + top + (root ? '1' : '0') + ' ' + url.length + ' ' + title.length + '\n' + url + title + html);
  }
  window.addEventListener('load', report, {capture: true, once: true});
})();
)JS");
    return tpl.arg(nonce);
}

std::optional<Report> parse(QStringView payload)
{
    const qsizetype nl = payload.indexOf(QLatin1Char('\n'));
    if (nl < 0)
        return std::nullopt;
    const QStringView head = payload.first(nl);
    if (head.size() < 6 || head.at(2) != QLatin1Char(' '))
        return std::nullopt;
    Report r;
    r.top = head.at(0) == QLatin1Char('1');
    r.hasRoot = head.at(1) == QLatin1Char('1');
    const qsizetype sp = head.indexOf(QLatin1Char(' '), 3);
    if (sp < 0)
        return std::nullopt;
    bool ok1 = false, ok2 = false;
    const qsizetype urlLen = head.sliced(3, sp - 3).toLongLong(&ok1);
    const qsizetype titleLen = head.sliced(sp + 1).toLongLong(&ok2);
    const QStringView body = payload.sliced(nl + 1);
    if (!ok1 || !ok2 || urlLen < 0 || titleLen < 0 || urlLen + titleLen > body.size())
        return std::nullopt;
    r.url = body.first(urlLen).toString();
    r.title = body.sliced(urlLen, titleLen).toString();
    r.html = body.sliced(urlLen + titleLen).toString();
    return r;
}

} // namespace completion
