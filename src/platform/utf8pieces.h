#pragma once

#include <QByteArray>
#include <QStringView>

// Hands text on as UTF-8 about a megabyte at a time, so a large text is never
// held whole a second time. A piece never ends between the halves of a pair,
// so the pieces together are exactly text.toUtf8(). Stops at the first piece
// sink refuses (returns false); true when every piece was taken.
template <typename Sink>
bool forEachUtf8Piece(QStringView text, Sink &&sink)
{
    constexpr qsizetype kPiece = qsizetype(1) << 20;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype n = qMin(kPiece, text.size() - at);
        if (at + n < text.size() && text[at + n - 1].isHighSurrogate())
            ++n;
        if (!sink(text.sliced(at, n).toUtf8()))
            return false;
        at += n;
    }
    return true;
}
