#pragma once

// The two extractions of the analyser written out literally: 1-based
// positions, 0 for "not found", a fresh search every time. The analyser must
// agree with these on any text, however it gets there (tests and fuzzing).

#include "analysis/dataanalizerclass.h"

#include <QString>
#include <QStringList>

#include <algorithm>

namespace markloomtest {

inline qsizetype find1(const QString &text, QStringView needle, qsizetype from)
{
    const qsizetype i = from > text.size() ? -1 : text.indexOf(needle, from - 1);
    return i < 0 ? 0 : i + 1;
}

inline QStringList literalScripts(const QString &text)
{
    QStringList blocks;
    // The opener in any case: searched in a copy with every ASCII letter in
    // upper case (the same length, so positions carry over).
    QString upper = text;
    for (QChar &c : upper) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    }
    for (qsizetype p = find1(upper, u"<SCRIPT", 1); p != 0; p = find1(upper, u"<SCRIPT", p + 1)) {
        const qsizetype e = find1(text, u"</", p + 1);
        blocks << (e == 0 ? text.mid(p - 1) : text.mid(p - 1, e + 9 - p));
    }
    return blocks;
}

inline QStringList literalData(const QString &text)
{
    QStringList items;
    for (qsizetype g = 0, l = 1; l != 0;) {
        g = find1(text, u">", g + 1);
        l = find1(text, u"<", l + 1);
        const QString item = l - g - 1 > 0 ? text.mid(g, l - g - 1) : QString();
        const bool blank = std::all_of(item.begin(), item.end(), [](QChar c) {
            return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
        });
        if (!blank && item != QLatin1String("&nbsp;"))
            items << item;
    }
    return items;
}

// Whether both extractions of one analyser agree with the literal ones on
// text: the items, the length of their results text and the counts.
inline bool analysersAgree(const QString &text)
{
    DataAnalizerClass analizer;
    const Extraction found[2] = {analizer.ScriptDataSpans(text), analizer.DataSpans(text)};
    const QStringList expected[2] = {literalScripts(text), literalData(text)};
    for (int i = 0; i < 2; ++i) {
        QStringList items;
        qsizetype length = 0;
        for (const TextSpan &s : found[i].items) {
            items << text.sliced(s.position, s.length);
            length += s.length + 2;
        }
        if (found[i].overCap || items != expected[i] || found[i].resultsLength != length)
            return false;
    }
    return analizer.GetScriptDataLen() == expected[0].size() && analizer.GetDataLen() == expected[1].size();
}

} // namespace markloomtest
