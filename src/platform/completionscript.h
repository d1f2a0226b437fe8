#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The script injected into every document (frames included) that reports the
// document once its load event has fired, and the parser of that report.
namespace completion {

QString scriptSource(const QString &nonce);

struct Report {
    bool top = false;
    bool hasRoot = false;
    QString url;
    QString title;
    QString html;
};

// Parses "<top><root> <urlLength> <titleLength>\n<url><title><html>".
std::optional<Report> parse(QStringView payload);

} // namespace completion
