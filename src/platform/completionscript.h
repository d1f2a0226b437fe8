#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// How a finished document's source travels from the page to us. Every
// document (frames included) gets a script in an isolated world, where the
// page can neither see nor touch it. A frame reports itself through the
// console, prefixed with a per-page nonce, on its own load event as the
// engine fires it (a page's synthetic one does not count). The top-level
// document is read by captureSource when the engine says the load is over,
// so no listener the page could remove or trigger decides when.
namespace completion {

// A document whose markup is longer than this (UTF-16 units) has its root
// hidden once it has been read, or as soon as it passes it while it loads,
// to spare the layout of a huge page.
inline constexpr int kLaidOutLimit = 4 << 20;

// The script injected into every document at its creation.
QString scriptSource(const QString &nonce);
// Evaluates, in the isolated world of the top-level document, to [address,
// title, markup inside the root, has a root]; to null when the document has
// been read already or was never loaded (the empty document a browser
// starts with).
QString captureSource(const QString &nonce);
// The same as captureSource while the document loads, without taking it:
// null once it has been taken (so never a document read before).
QString peekSource(const QString &nonce);
// Evaluates, in the same world, to the page as it stands now: a list of
// [address, title, markup inside the root, has a root, is the top], the top
// first, then every frame reachable from it (same origin), in document order.
QString rereadSource(const QString &nonce);

// Titles and markup come from the page with every lone surrogate (and the
// marker standing for it) written as two characters, since the engine hands
// answers over in UTF-8; this turns them back, in place.
void restoreText(QString &text);

// A frame's report; the strings are views into the payload.
struct Report {
    bool hasRoot = false;
    QStringView url;
    QStringView title;
    QStringView html;
    QStringView framePath; // where the frame sits: indexes from the top down, "." between
};

// Parses "<root> <urlLength> <titleLength> <framePath>\n<url><title><html>".
// Refuses anything malformed, including lengths beyond the payload.
std::optional<Report> parse(QStringView payload);

} // namespace completion
