#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// How a finished document's source travels from the page to us. Every
// document (frames included) gets a script in an isolated world that reports
// it once, on its own load event as the engine fires it (a page's synthetic
// one does not count), or when asked by captureSource: the top-level
// document's listener can be taken by document.open(). Reports come back
// through the console, prefixed with a per-page nonce, and carry the token of
// the navigation that created the document.
namespace completion {

// The script injected into every document created from now on.
QString scriptSource(const QString &nonce, quint64 token);
// Run in the isolated world of the top-level document: reports it unless it
// has reported already, belongs to another navigation than token, or was
// never loaded (the empty document a browser starts with). Evaluates to true
// when it reported.
QString captureSource(const QString &nonce, quint64 token);

// A parsed report; the strings are views into the payload.
struct Report {
    bool top = false;
    bool hasRoot = false;
    quint64 token = 0; // the navigation that created the document
    QStringView url;
    QStringView title;
    QStringView html;
};

// Parses "<top><root> <token> <urlLength> <titleLength>\n<url><title><html>".
// Refuses anything malformed, including lengths beyond the payload.
std::optional<Report> parse(QStringView payload);

} // namespace completion
