#include "favorites/shortcutwriter.h"

#include "favorites/shortcutreader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QUrl>

namespace favorites {

namespace {

constexpr qsizetype kMaxNameBytes = 200;
constexpr int kMaxNumber = 9999;

bool isForbidden(QChar c)
{
    switch (c.unicode()) {
    case '\\':
    case '/':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|': return true;
    default: return false;
    }
}

bool isDeviceName(const QString &name)
{
    // Windows refuses these as file names whatever the extension.
    const QString base = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QStringList devices = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                        QStringLiteral("NUL")};
    if (devices.contains(base))
        return true;
    return base.size() == 4 && (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))) &&
           base.at(3) >= QLatin1Char('1') && base.at(3) <= QLatin1Char('9');
}

QString trimBlanksAndDots(const QString &s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    const auto edge = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('.'); };
    while (begin < end && edge(s.at(begin)))
        ++begin;
    while (end > begin && edge(s.at(end - 1)))
        --end;
    return s.mid(begin, end - begin);
}

QString withoutUrlSuffix(const QString &name)
{
    return name.endsWith(QLatin1String(".url"), Qt::CaseInsensitive) ? name.chopped(4) : name;
}

QString numberedName(const QString &base, int number)
{
    return number == 1 ? base + QStringLiteral(".url") : QStringLiteral("%1 (%2).url").arg(base).arg(number);
}

// The name as it is written: safe, without a typed ".url" (added again later).
QString baseName(const QString &name)
{
    return safeFileName(withoutUrlSuffix(safeFileName(name)));
}

bool taken(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

} // namespace

QString safeFileName(const QString &name)
{
    QString s;
    s.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            s += c;
            s += name.at(++i);
        } else if (c.isSurrogate() || isForbidden(c)) {
            s += QLatin1Char('_');
        } else if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QChar::LineSeparator ||
                   c == QChar::ParagraphSeparator) {
            s += QLatin1Char(' ');
        } else {
            s += c;
        }
    }
    s = trimBlanksAndDots(s);
    // Cut at a character boundary so the name fits the file system's limit
    // with room for " (9999).url".
    qsizetype bytes = 0;
    qsizetype keep = 0;
    while (keep < s.size()) {
        const qsizetype step = s.at(keep).isHighSurrogate() ? 2 : 1;
        const qsizetype size = QStringView(s).mid(keep, step).toUtf8().size();
        if (bytes + size > kMaxNameBytes)
            break;
        bytes += size;
        keep += step;
    }
    s = trimBlanksAndDots(s.left(keep));
    // Mark the device word itself ("con.txt" becomes "con_.txt"), so that
    // cleaning the result again changes nothing.
    if (!s.isEmpty() && isDeviceName(s)) {
        const qsizetype dot = s.indexOf(QLatin1Char('.'));
        s.insert(dot < 0 ? s.size() : dot, QLatin1Char('_'));
    }
    return s;
}

std::optional<QString> storableAddress(const QString &address)
{
    QString value = address;
    // "[" and "]" are fine percent-encoded anywhere after the host.
    const qsizetype scheme = value.indexOf(QLatin1String("://"));
    qsizetype from = 0;
    if (scheme >= 0) {
        from = scheme + 3;
        const qsizetype slash = value.indexOf(QLatin1Char('/'), from);
        const qsizetype authorityEnd = slash < 0 ? value.size() : slash;
        const qsizetype query = value.indexOf(QLatin1Char('?'), from);
        const qsizetype hash = value.indexOf(QLatin1Char('#'), from);
        qsizetype end = authorityEnd;
        if (query >= 0 && query < end)
            end = query;
        if (hash >= 0 && hash < end)
            end = hash;
        from = end;
    }
    QString head = value.left(from);
    QString tail = value.mid(from);
    tail.replace(QLatin1Char('['), QLatin1String("%5B"));
    tail.replace(QLatin1Char(']'), QLatin1String("%5D"));
    value = head + tail;

    QStringEncoder encoder(QStringConverter::System);
    (void)encoder.encode(value);
    if (encoder.hasError())
        value = QString::fromLatin1(QUrl(value).toEncoded());

    // Whatever cannot come back whole through the reader is not written.
    const QString back = defaultSectionValue(QString::fromUtf8(QByteArrayLiteral("[DEFAULT]\r\nBASEURL=")) + value +
                                             QStringLiteral("\r\n[InternetShortcut]"));
    if (value.isEmpty() || back != value + QStringLiteral("\r\n"))
        return std::nullopt;
    return value;
}

QByteArray shortcutContent(const QString &address)
{
    const QString text = QStringLiteral("[DEFAULT]\r\nBASEURL=") + address +
                         QStringLiteral("\r\n[InternetShortcut]\r\nURL=") + address + QStringLiteral("\r\n");
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

QString freeShortcutName(const QString &folder, const QString &name)
{
    const QString base = baseName(name);
    if (base.isEmpty())
        return QString();
    for (int number = 1; number <= kMaxNumber; ++number) {
        const QString candidate = numberedName(base, number);
        if (!taken(folder + QLatin1Char('/') + candidate))
            return candidate;
    }
    return QString();
}

AddedShortcut addShortcut(const QString &folder, const QString &name, const QString &address)
{
    const QString base = baseName(name);
    if (base.isEmpty())
        return {QString(), QStringLiteral("名前を入力してください。")};
    const std::optional<QString> value = storableAddress(address);
    if (!value)
        return {QString(), QStringLiteral("このページのアドレスはお気に入りに保存できません。")};
    if (!QDir().mkpath(folder))
        return {QString(),
                QStringLiteral("フォルダー「%1」を作成できませんでした。").arg(QDir::toNativeSeparators(folder))};

    const QByteArray content = shortcutContent(*value);
    for (int number = 1; number <= kMaxNumber; ++number) {
        const QString path = folder + QLatin1Char('/') + numberedName(base, number);
        if (taken(path))
            continue;
        QFile file(path);
        // NewOnly: a file that appeared since the check is never overwritten.
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (taken(path))
                continue;
            break;
        }
        const bool written = file.write(content) == content.size() && file.flush();
        file.close();
        if (!written || file.error() != QFileDevice::NoError) {
            file.remove();
            break;
        }
        return {path, QString()};
    }
    return {QString(), QStringLiteral("お気に入りを作成できませんでした。")};
}

} // namespace favorites
