#pragma once

#include <QStringView>

#include <bit>
#include <cstdint>

// Searches over UTF-16 text that look at many characters at once. The
// analysers walk whole pages of several megabytes and stop at every tag, so a
// plain character-at-a-time search or a call per tag costs more than the walk.
namespace textscan {

// Position of the first occurrence of needle at or after from, or -1.
qsizetype find(QStringView text, qsizetype from, QStringView needle);

// The positions of one character, in order. The text is scanned 64
// characters at a time and the positions handed out from a small buffer, so
// taking the next one is usually a single read.
class CharCursor
{
public:
    CharCursor(QStringView text, char16_t c) : m_text(text), m_char(c) {}

    // Next occurrence after the ones taken so far, or -1 when there are no more.
    qsizetype next()
    {
        if (available() == 0)
            return -1;
        return m_found[m_at++];
    }

    // How many positions are ready to be taken at pending(), scanning further
    // when none are; 0 only at the end of the text.
    int available()
    {
        if (m_at == m_count)
            refill();
        return m_count - m_at;
    }
    const qsizetype *pending() const { return m_found + m_at; }
    // Takes count of the available positions.
    void take(int count) { m_at += count; }

private:
    static constexpr int kBlock = 64;
    static constexpr int kWanted = 256; // refill stops once this many are found
    void refill();

    QStringView m_text;
    char16_t m_char;
    qsizetype m_scanned = 0; // characters looked at so far
    int m_at = 0;
    int m_count = 0;
    qsizetype m_found[kWanted + kBlock];
};

} // namespace textscan
