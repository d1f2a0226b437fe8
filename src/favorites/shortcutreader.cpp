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

// Cuts the "URL=" line of the "[InternetShortcut]" section out of text
// arriving in pieces: most shortcuts written by other programs have nothing
// else. Keys and the section name are matched in any case; the value ends at
// its line break.
class UrlLineCutter
{
public:
    bool feed(QStringView piece)
    {
        for (const QChar c : piece) {
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                if (endLine())
                    return false;
            } else if (m_line.size() <= kMaxAddressLength + 4) {
                m_line += c; // a longer line is no address: it is left to grow no further
            }
        }
        return true;
    }
    // The text has ended: its last line may hold the value.
    void finish()
    {
        if (!m_found)
            endLine();
    }
    QString result() const { return m_found ? m_value : QString(); }

private:
    // true once the value is found.
    bool endLine()
    {
        const QStringView line(m_line);
        if (line.startsWith(QLatin1Char('['))) {
            m_inSection = line.trimmed().compare(QLatin1StringView("[InternetShortcut]"), Qt::CaseInsensitive) == 0;
        } else if (m_inSection && line.startsWith(QLatin1StringView("URL="), Qt::CaseInsensitive)
                   && line.size() - 4 <= kMaxAddressLength) {
            m_value = line.sliced(4).toString();
            m_found = true;
        }
        m_line.clear();
        return m_found;
    }

    QString m_line;
    QString m_value;
    bool m_inSection = false;
    bool m_found = false;
};

// Both places a shortcut keeps its address: the "[Default]" section's value
// first, and the "[InternetShortcut]" "URL=" line when that gives none.
class AddressCutter
{
public:
    bool feed(QStringView piece)
    {
        if (m_defaultMore)
            m_defaultMore = m_default.feed(piece);
        if (m_urlMore)
            m_urlMore = m_url.feed(piece);
        // Reading can stop once the default value is settled and either holds
        // an address or the other place is settled too.
        return m_defaultMore || (!hasAddress(m_default.result()) && m_urlMore);
    }
    QString result()
    {
        const QString value = m_default.result();
        if (hasAddress(value))
            return value;
        m_url.finish();
        return m_url.result();
    }

private:
    static bool hasAddress(const QString &value) { return !value.trimmed().isEmpty(); }

    ValueCutter m_default;
    UrlLineCutter m_url;
    bool m_defaultMore = true;
    bool m_urlMore = true;
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
    AddressCutter cutter;
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

QString shortcutAddress(QStringView text)
{
    AddressCutter cutter;
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
