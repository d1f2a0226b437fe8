#include "edit/sourcefilewriter.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace sourcefile {

std::optional<QByteArray> encode(const QString &text, QStringConverter::Encoding encoding)
{
    // A lone surrogate is no character in any encoding (a stateful UTF-8
    // encoder would even hold a trailing one back, waiting for its pair).
    if (!QStringView(text).isValidUtf16())
        return std::nullopt;
    // Not stateless: a stateless encoder does not count what it had to replace.
    QStringEncoder encoder(encoding);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    return bytes;
}

namespace {

enum class Target { Missing, Regular, CharDevice, Other };

Target targetKind(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    // A name with a NUL in it names nothing the file system could create.
    if (native.contains('\0'))
        return Target::Other;
#ifdef Q_OS_UNIX
    struct stat st {
    };
    if (::stat(native.constData(), &st) != 0)
        return Target::Missing; // includes a dangling link: QSaveFile creates its target
    if (S_ISREG(st.st_mode))
        return Target::Regular;
    if (S_ISCHR(st.st_mode))
        return Target::CharDevice;
    return Target::Other;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return Target::Missing;
    return info.isFile() ? Target::Regular : Target::Other;
#endif
}

bool isUtf8(QStringConverter::Encoding encoding)
{
#ifdef Q_OS_WIN
    return encoding == QStringConverter::Utf8;
#else
    // Qt takes the system's encoding to be UTF-8 on every Unix.
    return encoding == QStringConverter::Utf8 || encoding == QStringConverter::System;
#endif
}

WriteResult writeInPlace(const QString &path, QByteArrayView bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return WriteResult::CannotCreate;
    if (file.write(bytes.data(), bytes.size()) != bytes.size())
        return WriteResult::WriteFailed;
    file.close();
    return file.error() == QFileDevice::NoError ? WriteResult::Ok : WriteResult::WriteFailed;
}

} // namespace

WriteResult writeBytes(const QString &path, QByteArrayView bytes)
{
    if (path.isEmpty())
        return WriteResult::CannotCreate;
    switch (targetKind(path)) {
    case Target::Other: return WriteResult::CannotCreate;
    case Target::CharDevice: return writeInPlace(path, bytes);
    case Target::Missing:
    case Target::Regular: break;
    }
    // QSaveFile refuses an existing file that may not be written, though the
    // folder would let a new one take its place.
    QSaveFile file(path);
    // No direct-write fallback: in a folder where the temporary file cannot be
    // made, overwriting in place would risk the earlier file.
    file.setDirectWriteFallback(false);
    // Unbuffered: QSaveFile only notices errors of writes that reach the file
    // before commit(); a buffered tail that fails at commit would be renamed
    // over the earlier file, cut short, with success reported.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return WriteResult::CannotCreate;
    // One write of the whole text: the device takes it in as few calls as it can.
    if (file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush()
        || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        file.commit();
        return WriteResult::WriteFailed;
    }
    return file.commit() ? WriteResult::Ok : WriteResult::WriteFailed;
}

WriteResult save(const QString &path, const QString &text, QStringConverter::Encoding encoding)
{
    const std::optional<QByteArray> bytes = encode(text, encoding);
    if (!bytes)
        return WriteResult::Unencodable;
    return writeBytes(path, *bytes);
}

WriteResult saveUtf8(const QString &path, QByteArrayView utf8, QStringConverter::Encoding encoding)
{
    if (isUtf8(encoding) && utf8.isValidUtf8())
        return writeBytes(path, utf8);
    // Keep a leading U+FEFF: it is text here, not a marker to drop.
    QStringDecoder decoder(QStringConverter::Utf8,
                           QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
    return save(path, decoder.decode(utf8), encoding);
}

} // namespace sourcefile
