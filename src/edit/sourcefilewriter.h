#pragma once

#include <QByteArray>
#include <QByteArrayView>
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
// are refused, and so is a regular file that may not be written.
WriteResult writeBytes(const QString &path, QByteArrayView bytes);

// encode() then writeBytes().
WriteResult save(const QString &path, const QString &text,
                 QStringConverter::Encoding encoding = QStringConverter::System);

// The same for text held as UTF-8 (as the source pane holds it). When the
// encoding is UTF-8 the bytes are written as they are, once checked; bytes
// that are not UTF-8 are read as the pane reads them (U+FFFD for each fault).
WriteResult saveUtf8(const QString &path, QByteArrayView utf8,
                     QStringConverter::Encoding encoding = QStringConverter::System);

} // namespace sourcefile
