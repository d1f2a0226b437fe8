#include "browse/completeddocument.h"

#include "browse/docname.h"
#include "platform/completionscript.h"

CompletedDocument CompletedDocument::make(bool isTop, bool hasRoot, const QString &url, const QString &title,
                                          const QString &innerHTML)
{
    CompletedDocument doc;
    doc.isTop = isTop;
    doc.hasRoot = hasRoot;
    doc.url = QUrl(url);
    doc.title = title;
    completion::restoreText(doc.title);
    doc.nameProp = documentDisplayName(doc.title, doc.url);
    doc.innerHTML = innerHTML;
    completion::restoreText(doc.innerHTML);
    return doc;
}

bool CompletedDocument::isErrorPage() const { return url.scheme() == QLatin1String("chrome-error"); }
