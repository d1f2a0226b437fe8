#pragma once

#include <QString>
#include <QUrl>

// Display name of a document: its title, else the last non-empty path segment
// (decoded), else the host, else the whole address.
QString documentDisplayName(const QString &title, const QUrl &url);
