#pragma once

#include <QMetaType>
#include <QString>
#include <QUrl>

// One document read from the hidden browser: the top-level page or one of
// its frames.
struct CompletedDocument {
    bool isTop = false;        // the top-level document (reported after its frames)
    bool hasRoot = false;      // a root element exists; innerHTML is empty otherwise
    bool stillLoading = false; // read while its load goes on: the page as it stood
    int httpStatus = 0;        // of the top-level response; 0 when not over HTTP
    QUrl url;                  // the document's own address
    QString title;
    QString nameProp;          // display name (title, else path segment, host, address)
    QString innerHTML;         // markup inside the root element
    QString framePath;         // a frame's place in the page ("0.1"); empty for the page

    // A document as the page's script world hands it over.
    static CompletedDocument make(bool isTop, bool hasRoot, const QString &url, const QString &title,
                                  const QString &innerHTML);
    // The engine's own page for a failed load: never a document of the page.
    bool isErrorPage() const;
};

Q_DECLARE_METATYPE(CompletedDocument)

// Why a top-level load ended without a document to show.
enum class LoadEnd {
    Unloadable, // the address is nothing the browser may load
    Failed,     // the load failed (error codes below) or its page's process died
    NoDocument, // the load ended without a page (a download, stopped by the page)
};

// What the engine said about a failed load: its network error code
// (negative; 0 when it gave none) and its own words.
struct LoadError {
    int code = 0;
    QString text;
};
