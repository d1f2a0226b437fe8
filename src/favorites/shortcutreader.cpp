#include "favorites/shortcutreader.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace favorites {

namespace {

constexpr QLatin1StringView kMarker("[Default]");

bool hasLnkExtension(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QStringView name = QStringView(path).mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && name.mid(dot + 1) == QLatin1StringView("lnk");
}

// Cuts the value out of text arriving in pieces, so that a huge file never has
// to be held whole: only the part that can still matter is kept.
class ValueCutter
{
public:
    // Feeds the next piece; false once the outcome is settled.
    bool feed(QStringView piece)
    {
        m_pending += piece;
        switch (m_state) {
        case State::FindMarker: {
            const qsizetype p = m_pending.indexOf(kMarker, 0, Qt::CaseInsensitive);
            if (p < 0) {
                // Keep just enough to find a marker split across pieces.
                m_pending.remove(0, qMax<qsizetype>(0, m_pending.size() - (kMarker.size() - 1)));
                return true;
            }
            m_pending.remove(0, p + kMarker.size());
            m_state = State::FindSeparator;
            [[fallthrough]];
        }
        case State::FindSeparator: {
            const qsizetype bracket = m_pending.indexOf(QLatin1Char('['));
            const qsizetype equals = m_pending.indexOf(QLatin1Char('='));
            if (equals < 0 || (bracket >= 0 && bracket < equals)) {
                m_pending.clear();
                if (bracket >= 0) {
                    // The section ends before any "=": no address.
                    m_state = State::Done;
                    return false;
                }
                return true;
            }
            m_pending.remove(0, equals + 1);
            m_state = State::Collect;
            [[fallthrough]];
        }
        case State::Collect: {
            const qsizetype end = m_pending.indexOf(QLatin1Char('['));
            m_value += end < 0 ? QStringView(m_pending) : QStringView(m_pending).left(end);
            m_pending.clear();
            if (m_value.size() > kMaxAddressLength) {
                m_value.clear();
                m_state = State::Done;
                return false;
            }
            if (end >= 0) {
                m_state = State::Found;
                return false;
            }
            return true;
        }
        case State::Found:
        case State::Done: return false;
        }
        return false;
    }

    // The value once the text has ended (or the outcome was settled earlier).
    QString result() const { return (m_state == State::Collect || m_state == State::Found) ? m_value : QString(); }

private:
    enum class State { FindMarker, FindSeparator, Collect, Found, Done };
    State m_state = State::FindMarker;
    QString m_pending;
    QString m_value;
};

QString readRegularFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return QString();
    // The text is decoded piece by piece, each piece ending just after a byte
    // below 0x40: such a byte is a whole character in UTF-8 and in every
    // double-byte code page (no trail byte is that low), so the pieces decode
    // exactly as the whole file would. Only the first piece may start with a
    // byte-order mark to skip.
    constexpr qint64 kChunk = 64 * 1024;
    constexpr qsizetype kMaxCarry = 1024 * 1024;
    ValueCutter cutter;
    QByteArray buffer;
    bool first = true;
    const auto feed = [&](qsizetype size) {
        QStringDecoder decoder(QStringConverter::System,
                               first ? QStringConverter::Flag::Stateless
                                     : QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        first = false;
        const bool more = cutter.feed(QString(decoder.decode(QByteArrayView(buffer).first(size))));
        buffer.remove(0, size);
        return more;
    };
    for (;;) {
        const qsizetype carried = buffer.size();
        buffer.resize(carried + kChunk);
        const qint64 n = file.read(buffer.data() + carried, kChunk);
        if (n < 0)
            return QString();
        buffer.resize(carried + n);
        if (n == 0) {
            if (!buffer.isEmpty())
                feed(buffer.size());
            break;
        }
        qsizetype split = buffer.size();
        while (split > carried && uchar(buffer.at(split - 1)) >= 0x40)
            --split;
        if (split == carried) {
            // No place to cut yet. A megabyte without a line break or blank
            // is no shortcut: cut anywhere rather than hold the whole file.
            if (buffer.size() < kMaxCarry)
                continue;
            split = buffer.size();
        }
        if (!feed(split))
            break;
    }
    return cutter.result();
}

} // namespace

QString defaultSectionValue(QStringView text)
{
    ValueCutter cutter;
    cutter.feed(text);
    return cutter.result();
}

QString readShortcutUrl(const QFileInfo &file)
{
    const QString path = file.absoluteFilePath();
    if (hasLnkExtension(path))
        return QString();
    // Only regular files (or links to them): opening a pipe would block.
    if (!file.isFile())
        return QString();
    return readRegularFile(path);
}

QString readShortcutUrl(const QString &absolutePath)
{
    if (hasLnkExtension(absolutePath))
        return QString();
    return readShortcutUrl(QFileInfo(absolutePath));
}

QString GetUrldata(const QString &favoritesPath, const QString &relativePath)
{
    QString relative = relativePath;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return readShortcutUrl(favoritesPath + QLatin1Char('/') + relative);
}

} // namespace favorites
