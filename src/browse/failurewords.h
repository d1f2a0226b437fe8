#pragma once

#include "browse/completeddocument.h"

#include <QString>

// The reason a load failed, in the words the window shows: the engine's
// error code said plainly where there are words for it.
QString loadFailureWords(const LoadError &error);

// The window's message for a load that failed: the address (at most its
// first 200 characters) and the reason.
QString loadFailedMessage(const QString &address, const LoadError &error);
