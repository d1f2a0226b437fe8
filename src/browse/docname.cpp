#include "browse/docname.h"

#include <QStringList>

QString documentDisplayName(const QString &title, const QUrl &url)
{
    if (!title.isEmpty())
        return title;
    const QStringList segments = url.path(QUrl::FullyDecoded).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!segments.isEmpty())
        return segments.last();
    if (!url.host().isEmpty())
        return url.host();
    return url.toString();
}
