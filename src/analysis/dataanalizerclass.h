#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

// One extracted item, as a place in the source text: 0-based start and length.
// Kept to 32 bits each: a page yields hundreds of thousands of these.
struct TextSpan {
    quint32 position = 0;
    quint32 length = 0;
    friend bool operator==(const TextSpan &, const TextSpan &) = default;
};

// What one extraction found, without copying any of it out of the source.
struct Extraction {
    std::vector<TextSpan> items;
    // Length of the results text: every item followed by a CR LF pair.
    qsizetype resultsLength = 0;
    // The results would have passed the cap; items is then empty.
    bool overCap = false;
};

// The analyser behind the two analysis commands: script blocks and text data
// of an HTML source. Positions count UTF-16 code units; every search is exact.
// An object serves one run; its counts add up over the calls made on it.
class DataAnalizerClass
{
public:
    // Results text beyond this many characters is refused rather than built:
    // a small hostile page can otherwise ask for gigabytes.
    static constexpr qsizetype kResultCap = qsizetype(256) * 1024 * 1024;

    qint32 GetScriptDataLen() const { return m_ScriptDataLen; }
    qint32 GetDataLen() const { return m_DataLen; }

    // Every block that starts with "<SCRIPT" (letters in any case), as
    // strings. A result over the cap gives an empty list (and *overCap true
    // when asked for).
    QStringList ScriptDataCollection(const QString &sorcestr, bool *overCap = nullptr);
    // Every accepted text item between a ">" and a "<", as strings: not
    // empty, not a lone "&nbsp;", not only ASCII white space.
    QStringList DataCollection(const QString &sorcestr, bool *overCap = nullptr);

    // The same two extractions as places in sorcestr. They stop as soon as the
    // results text would pass cap: then nothing is returned and nothing counted.
    // A text longer than 2^32 - 1 characters is refused the same way.
    Extraction ScriptDataSpans(QStringView sorcestr, qsizetype cap = kResultCap);
    Extraction DataSpans(QStringView sorcestr, qsizetype cap = kResultCap);

private:
    static bool IsDataItem(QStringView item);

    qint32 m_DataLen = 0;
    qint32 m_ScriptDataLen = 0;
};
