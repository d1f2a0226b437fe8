#pragma once

#include <QMainWindow>
#include <QString>

#include <memory>

// The program's main window, started on address (the command line's; empty:
// the home page) and ready to be shown.
std::unique_ptr<QMainWindow> openMainWindow(const QString &address);
