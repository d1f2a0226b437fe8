#pragma once

#include <QString>
#include <QStringList>

// What the find window remembers while the main window lives, also while the
// find window is closed: the texts filed, the case switch, and the last
// search with where it goes on (1-based; 0: from the caret).
struct FindMemory {
    QStringList history;
    bool matchCase = true;
    QString lastSearch;
    int lastSearchPos = 0;
};
