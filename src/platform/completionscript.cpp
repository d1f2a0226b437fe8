#include "platform/completionscript.h"

#include <QtNumeric>

#include <limits>

namespace completion {

QString scriptSource(const QString &nonce, quint64 token)
{
    // Runs in an isolated world, so the page can neither see the nonce nor
    // replace console.log or the report function. Lengths instead of JSON:
    // no escaping of megabytes.
    static const QString tpl = QStringLiteral(R"JS(
(function () {
  var tag = '%1:';
  var token = '%2';
  var reported = false;
  function report() {
    if (reported)
      return false;
    reported = true;
    var root = document.documentElement;
    var url = String(document.URL);
    var title = String(document.title || '');
    var html = root ? root.innerHTML : '';
    var top = (window === window.top) ? '1' : '0';
    console.log(tag + top + (root ? '1' : '0') + ' ' + token + ' ' + url.length + ' ' + title.length + '\n' +
                url + title + html);
    return true;
  }
  window[tag] = function (asked) { return asked === token && report(); };
  window.addEventListener('load', function (event) {
    if (event.isTrusted && event.target === document)
      report();
  }, true);
})();
)JS");
    return tpl.arg(nonce, QString::number(token));
}

QString captureSource(const QString &nonce, quint64 token)
{
    return QStringLiteral("(function () { var report = window['%1:'];"
                          " return typeof report === 'function' && report('%2'); })()")
        .arg(nonce, QString::number(token));
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
    if (fields[0].size() != 2 || !flag(fields[0][0], &r.top) || !flag(fields[0][1], &r.hasRoot))
        return std::nullopt;
    const auto token = number(fields[1], std::numeric_limits<quint64>::max());
    const auto urlLength = number(fields[2], quint64(body.size()));
    const auto titleLength = urlLength ? number(fields[3], quint64(body.size()) - *urlLength) : std::nullopt;
    if (!token || !titleLength) // a space too many ends up in the last field
        return std::nullopt;
    r.token = *token;
    r.url = body.first(qsizetype(*urlLength));
    r.title = body.sliced(qsizetype(*urlLength), qsizetype(*titleLength));
    r.html = body.sliced(qsizetype(*urlLength + *titleLength));
    return r;
}

} // namespace completion
