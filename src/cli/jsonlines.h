#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QLatin1String>
#include <QStringView>

#include <functional>

namespace cli {

// Writes JSON Lines: one object a line, UTF-8. Strings are escaped as
// JavaScript's JSON.stringify does (a lone surrogate becomes a \udxxx escape,
// so a page's text comes back exactly), plus U+2028 and U+2029, which some
// readers take for line ends. A long value goes to the sink in pieces of
// about a mebibyte, never converted whole.
class JsonLineWriter
{
public:
    // Takes the next piece of output; false when it could not be written.
    using Sink = std::function<bool(QByteArrayView)>;
    explicit JsonLineWriter(Sink sink);

    void beginObject();
    void add(QLatin1String name, QStringView value);
    void add(QLatin1String name, bool value);
    void add(QLatin1String name, int value);
    // Ends the line and hands the rest of it to the sink. False when any
    // piece so far could not be written.
    bool endObject();

private:
    void name(QLatin1String name);
    void string(QStringView value);
    void flushIfFull();

    Sink m_sink;
    QByteArray m_buffer;
    bool m_first = true;
    bool m_ok = true;
};

} // namespace cli
