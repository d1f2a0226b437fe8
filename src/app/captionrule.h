#pragma once

#include <QString>

namespace caption {

inline const QString kAppName = QStringLiteral("Markloom");
// The name shown while the first page loads.
inline const QString kLoadingName = QStringLiteral("読み込み中…");

// Title-bar caption from the document name, the modified flag and the saved file.
QString compose(const QString &docName, bool modified, bool hasFile, const QString &fileTitle);

// Caption set when a page completes: the name alone, no mark, no file.
QString pageLoaded(const QString &docName);

} // namespace caption
