#include "app/captionrule.h"

namespace caption {

QString compose(const QString &docName, bool modified, bool hasFile, const QString &fileTitle)
{
    QString c = docName;
    if (modified)
        c += QLatin1Char('*');
    if (hasFile)
        c += QLatin1Char(' ') + fileTitle;
    return c + QStringLiteral(" - ") + kAppName;
}

QString pageLoaded(const QString &docName) { return docName + QStringLiteral(" - ") + kAppName; }

} // namespace caption
