#pragma once

#include "cli/options.h"

#include <QString>

#include <optional>

namespace cli {

// Whether a mode loads a page (and so starts the browser engine).
bool needsBrowser(const Options &options);

// Runs a headless mode (dump, scripts, data, batch) inside an existing
// application object (a QApplication when needsBrowser()); returns the exit
// status.
int runHeadless(const Options &options);

// Loads an address in the hidden browser and hands back the top-level
// document's source as the source pane would get it. Returns an empty
// optional and sets error when the load fails, times out or has no root.
std::optional<QString> loadSource(const QString &address, int timeoutSeconds, QString *error);

// The results text of the script (scripts = true) or data extraction of a
// source, as the results window would hold it. Returns the exit status and
// writes to stdout/stderr.
int printExtraction(bool scripts, const QString &source);

// Loads every address of the batch list, options.jobs at once, and writes
// one JSON line for each in the order of the list; returns the exit status.
int runBatch(const Options &options);

} // namespace cli
