#pragma once

#include <QByteArray>
#include <QString>
#include <QStringConverter>

#include <optional>

// Saving the source text: encode it in the system's 8-bit encoding and put the
// bytes on disk so that a failure never leaves a half-written file behind.
namespace sourcefile {

enum class WriteResult {
    Ok,
    Unencodable,  // a character the encoding cannot hold; nothing written
    CannotCreate, // the file (or its temporary twin) could not be created
    WriteFailed,  // writing or the final rename failed; the earlier file stays
};

// The text in the given encoding, no byte-order mark; empty when a character
// cannot be represented (never a silent replacement character).
std::optional<QByteArray> encode(const QString &text, QStringConverter::Encoding encoding = QStringConverter::System);

// Replaces path with bytes. A regular file is written to a temporary file beside
// it and renamed over it, so the earlier file survives any failure. A character
// device (such as /dev/null) is written in place: renaming over it would replace
// the device node. Other kinds of targets (folder, pipe, socket, block device)
// are refused.
WriteResult writeBytes(const QString &path, const QByteArray &bytes);

// encode() then writeBytes().
WriteResult save(const QString &path, const QString &text,
                 QStringConverter::Encoding encoding = QStringConverter::System);

} // namespace sourcefile
