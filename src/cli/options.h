#pragma once

#include <QString>
#include <QStringList>

// The command line. Without a headless mode the arguments, joined by single
// blanks, are the address to open.
namespace cli {

enum class Mode { Window, Dump, Scripts, Data, Batch, Help, Version, Error };

struct Options {
    Mode mode = Mode::Window;
    QString address;     // joined positional arguments; "-" means stdin
    int timeoutSeconds = 60;
    int settleMs = -1;   // read the page again this long after the load; -1: never
    bool frames = false; // every document of the page, as JSON Lines
    bool format = false; // sources re-indented as 整形 does
    QString batchList;   // file of addresses; "-" means stdin
    int jobs = 0;        // pages loading at once; 0: one per core
    int shardIndex = 1;  // of shardCount, counted from 1
    int shardCount = 1;
    QString resumeFile;  // earlier output of the batch, gone on with
    bool quiet = false;  // no progress line
    QString error;       // for Mode::Error
};

// arguments without the program name.
Options parse(const QStringList &arguments);

QString usage();

} // namespace cli
