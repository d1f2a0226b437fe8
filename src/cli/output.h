#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Standard output and standard error of the command line.
namespace cli {

// Writes text to standard output as UTF-8, a slice at a time, so a large
// result is never held twice. False when it could not be written whole (a
// closed pipe, a full disk, a closed stream).
bool writeOut(QStringView text);
// Writes bytes to standard output and flushes it; false when they could not
// be written whole.
bool writeOutBytes(QByteArrayView bytes);
// "markloom: <text>" and a line break on standard error.
void writeMessage(const QString &text);
// The message for output that could not be written.
QString writeFailedMessage();

// An address as messages show it: at most its first 200 characters.
QString addressForMessage(const QString &address);

// Gives a closed standard stream a harmless stand-in, so that no file the
// program opens later takes its place: reads find nothing, writes fail.
void guardStandardStreams();

} // namespace cli
