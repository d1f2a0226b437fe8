#pragma once

#include <QString>
#include <QStringList>

// The command line. Without a headless mode the arguments, joined by single
// blanks, are the address to open.
namespace cli {

enum class Mode { Window, Dump, Scripts, Data, Help, Version, Error };

struct Options {
    Mode mode = Mode::Window;
    QString address;     // joined positional arguments; "-" means stdin
    int timeoutSeconds = 60;
    QString error;       // for Mode::Error
};

// arguments without the program name.
Options parse(const QStringList &arguments);

QString usage();

} // namespace cli
