#include "cli/output.h"

#include "platform/utf8pieces.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace cli {

bool writeOut(QStringView text)
{
    // Each piece is converted as the results window converts its text.
    const bool ok = forEachUtf8Piece(text, [](const QByteArray &bytes) {
        return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    });
    return std::fflush(stdout) == 0 && ok && !std::ferror(stdout);
}

bool writeOutBytes(QByteArrayView bytes)
{
    const bool ok = std::fwrite(bytes.data(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size());
    return std::fflush(stdout) == 0 && ok && !std::ferror(stdout);
}

void writeMessage(const QString &text)
{
    const QByteArray bytes = (QStringLiteral("markloom: ") + text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

QString writeFailedMessage() { return QStringLiteral("cannot write the output"); }

QString addressForMessage(const QString &address)
{
    constexpr qsizetype kShown = 200;
    if (address.size() <= kShown)
        return address;
    qsizetype cut = kShown;
    if (address.at(cut - 1).isHighSurrogate())
        --cut;
    return address.first(cut) + QStringLiteral("...");
}

void guardStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // Read-only even for the output streams: writing to them then fails.
        const int null = open("/dev/null", O_RDONLY);
        if (null >= 0 && null != fd) {
            dup2(null, fd);
            close(null);
        }
    }
}

} // namespace cli
